// The version check at the first showing, and the answers of the maker's service to it and to
// problem reports. Every failure here is silent: the program works the same without the service.
#include <filesystem>

#include "media/maker_service.h"
#include "media/text_lines.h"
#include "platform/atomic_file.h"
#include "forms/main_window.h"
#include "media/web_site.h"
#include "platform/file_path.h"

namespace kivo {

void TForm1::CheckVersion() {
  PoolGet(VersionCheckUrl(MakerHost(), VersionModelCode(camera)), &TForm1::VersionReply);
}

void TForm1::VersionReply(const std::string&, const std::string& file_name,
                          std::uint16_t error) {
  ServiceReplied = true;
  std::error_code ec;
  if (error != 0 || file_name.empty() || !std::filesystem::is_regular_file(PathFromUtf8(file_name), ec))
    return;
  std::string body;
  ReadWholeFile(file_name, &body);
  if (!Debug) std::filesystem::remove(PathFromUtf8(file_name), ec);
  if (auto latest = NewerVersion(SplitLines(body), kProgramVersion)) {
    MsgResult answer = env_.dialogs.MessageBox(NewerVersionQuestion(kProgramVersion, *latest),
                                               MsgType::kWarning, MsgButtons::kYesNo);
    if (answer == MsgResult::kYes) OpenPage(DownloadPageUrl());
  }
}

void TForm1::ReportDone(const std::string&, const std::string& file_name, std::uint16_t error) {
  ServiceReplied = true;
  if (error != 0) {
    reports_enabled = false;
    return;
  }
  std::error_code ec;
  if (!Debug && !file_name.empty()) std::filesystem::remove(PathFromUtf8(file_name), ec);
}

void TForm1::ReportBugsClick() { OpenPage(ContactPageUrl()); }

}  // namespace kivo
