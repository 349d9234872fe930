// The command channel of the main window: one GET per user action on HttpCli3, guarded by
// TimeOut3; the first body chunk is the reply, dumped into CommandL. Fire and forget: the
// camera's new state arrives with the next status poll.
#include <filesystem>

#include "camera/bacpac_status.h"
#include "camera/command_table.h"
#include "camera/command_url.h"
#include "camera/link_texts.h"
#include "media/reply_file.h"
#include "forms/main_window.h"
#include "forms/net_window.h"
#include "media/web_site.h"
#include "platform/file_path.h"
#include "platform/socket_errors.h"

namespace kivo {
namespace {

constexpr const char* kConnected = "Connected";

}  // namespace

std::string TForm1::StatusText() { return model_["StatusBar"].Caption(); }

void TForm1::SetStatusText(const std::string& text) { model_["StatusBar"].SetCaption(text); }

void TForm1::ClearStatusUnlessConnected() {
  // The refused password's explanation stays until the user has changed the password: nothing
  // else will tell why the status no longer updates.
  if (StatusText() == kPasswordRefusedStatus) return;
  if (StatusText().find(kConnected) == std::string::npos) SetStatusText("");
}

void TForm1::SendCommand(const std::string& path, const std::string& parameter) {
  ClearStatusUnlessConnected();
  HttpCli3->URL = BuildCommandUrl(camera_address, PasswordInUse(), path, parameter);
  // A client still busy with the previous command throws its busy error from here; it reaches
  // the error box and this command is dropped, with TimeOut3 left as it was.
  HttpCli3->GetASync();
  model_["CommandL"].SetCaption("");
  TimeOut3->SetEnabled(true);
}

void TForm1::HttpCli3DocData(THttpCli&, const char* buffer, int len) {
  TimeOut3->SetEnabled(false);
  HttpCli3->Abort();
  LastReplyLength = len;
  try {
    int n = std::min(len, static_cast<int>(sizeof command_reply_));
    std::fill(std::begin(command_reply_), std::end(command_reply_), 0);
    std::copy(buffer, buffer + n, command_reply_);
    model_["CommandL"].SetCaption(CommandReplyDump(command_reply_, n));
  } catch (...) {
    if (Debug) LogError("Exception parsing CommandStatus");
  }
}

void TForm1::TimeOut3Stop() {
  HttpCli3->Abort();
  SetStatusText(kCommandTimeoutStatus);
}

void TForm1::ShowRequestResult(const std::string&, const std::string& file_name,
                               std::uint16_t error) {
  // A reply this computer could not keep is not the camera's error: the pool said it once.
  if (error != 0 && !IsPoolFileError(error)) {
    if (error == kWsaETimedOut) {
      LogError("Unable to connect to camera: " + std::to_string(kWsaETimedOut));
    } else if (error == kWsaEConnRefused) {
      LogError("Command Error: " + std::to_string(kWsaEConnRefused));
    } else if (error == kHttpErrorAborted) {
      LogError("Unable to connect: " + std::to_string(kHttpErrorAborted));
    } else {
      SetStatusText("Error: " + std::to_string(error));
    }
  }
  std::optional<ReplyText> reply = ReadReplyFile(file_name);
  if (!reply) return;
  std::vector<std::string> lines = std::move(reply->lines);
  // The count shown is the reply file's exact size in bytes.
  lines.push_back("Received - " + std::to_string(reply->bytes));
  model_["ListBox1"].SetLines(std::move(lines));
  std::error_code ignored;
  if (!Debug) std::filesystem::remove(PathFromUtf8(file_name), ignored);
}

void TForm1::CommandClick(const std::string& component) {
  const CommandRow* row = FindCommand(component);
  if (!row) return;
  std::optional<Command> command = CommandFor(component, model_);
  if (!command) return;
  bool stopping = false;
  if (row->step == WindowStep::kRecordInterval) {
    // The caption "Stop" (the camera is recording) selects the row's first value.
    stopping = command->parameter == row->on;
    BacPacStatusTimer->SetInterval(stopping ? 2000 : 1000);
  }
  SendCommand(command->path, command->parameter);
  if (stopping) {
    model_["RecordBtn"].SetCaption(kRecordCaption);
    model_["RecordBtn"].SetEnabled(false);
  }
}

void TForm1::SSID1Click() {
  auto name = env_.dialogs.InputQuery("Change Camera Name", "New name:", "");
  if (!name) return;
  const CommandRow* row = FindCommand("SSID1");
  SendCommand(row ? row->path : "camera/CN", CameraNameParameter(*name));
}

void TForm1::Greaterthan60seconds1Click() { OpenPage(TimeLapsePageUrl()); }

}  // namespace kivo
