// LogError: the status bar shows the message, then it is appended to "ErrorLog.txt" in the
// program folder. The append is one write at the end of the file, so a crash cannot lose what
// the log already holds and a long log costs nothing per message.
#include "media/error_log.h"
#include "ui/main_window.h"

namespace kivo {


void TForm1::LogError(const std::string& message) {
  SetStatusText(message);
  // A log that cannot be written throws from here, after the status bar has the message.
  AppendToErrorLog(env_.program_dir + kErrorLogFileName, message);
}

}  // namespace kivo
