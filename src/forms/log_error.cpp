// LogError: the status bar shows the message, it is appended to "ErrorLog.txt" in the program
// folder, and it is reported to the maker's service. The append is one write at the end of the
// file, so a crash cannot lose what the log already holds and a long log costs nothing per
// message. A camera that keeps sending the same odd value would otherwise have the same report
// sent every five seconds: each distinct message is reported once per run.
#include "media/error_log.h"
#include "media/maker_service.h"
#include "forms/main_window.h"
#include "media/web_site.h"

namespace kivo {

void TForm1::LogError(const std::string& message) {
  SetStatusText(message);
  // A log that cannot be written throws from here, after the status bar has the message and
  // before anything is reported.
  AppendToErrorLog(env_.LogDir() + kErrorLogFileName, message);
  if (!reports_enabled || reported_messages_.count(message)) return;
  std::string text = message + "[" + model_["CamPanel"].Caption() + "]";
  bool not_started =
      PoolGet(ProblemReportUrl(MakerHost(), ReportModelLetters(camera), text), &TForm1::ReportDone);
  // A report the pool could not take is lost, not remembered: the next occurrence may go out.
  if (!not_started) reported_messages_.insert(message);
}

}  // namespace kivo
