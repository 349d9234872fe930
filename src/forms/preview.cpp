// The live preview in the main window: asks the camera for its preview stream until the status
// poll reports it on, tests the live directory through the request pool and starts the external
// player on the stream's playlist. Also the player chooser and the media server's header test.
// Loop thread only.
#include <filesystem>

#include "media/reply_file.h"
#include "media/preview_text.h"
#include "platform/player_choice.h"
#include "forms/main_window.h"
#include "forms/net_window.h"
#include "platform/file_path.h"

namespace kivo {
namespace {

constexpr const char* kRecordingCaption = "Stop";
constexpr const char* kPreviewCommand = "camera/PV";
constexpr const char* kStreamOn = "02";
constexpr const char* kPlayerChooserTitle = "Find vlc.exe";

}  // namespace

void TForm1::VLCBtnClick() {
  if (model_["RecordBtn"].Caption() != kRecordingCaption) SendCommand(kPreviewCommand, kStreamOn);
  if (model_["RecordBtn"].Caption() == kRecordingCaption || model_["StreamingEnabled"].Checked()) {
    PreviewRetry->SetEnabled(false);
    PoolGet("http://" + camera_address + kMediaPort + kLivePath, &TForm1::StreamTestDone);
  } else {
    // Asked again every count-down until the status poll reports the stream on.
    PreviewRetry->SetEnabled(true);
  }
}

void TForm1::PreviewRetryStop() { VLCBtnClick(); }

void TForm1::StreamTestDone(const std::string&, const std::string& file_name,
                            std::uint16_t error) {
  const std::string arguments = PlayerArguments(camera_address);
  if (IsPoolFileError(error)) {
    // This computer could not keep the answer; the pool has said why, and the camera's state
    // stays on the status bar.
  } else if (error != 0) {
    SetStatusText(StreamNotFoundText(error));
  } else if (std::optional<ReplyText> reply = ReadReplyFile(file_name)) {
    std::vector<std::string> lines = std::move(reply->lines);
    lines.push_back(kTestStreamLine);
    const bool answered = StreamAnswered(lines.size());
    model_["ListBox1"].SetLines(std::move(lines));
    // A player that cannot be started is said, not passed over in silence.
    if (answered && !env_.shell.StartProgram(player_path, arguments))
      SetStatusText(PlayerNotStartedText(player_path));
  }
  // The answer of a failed request goes too: every failed attempt would otherwise leave a file
  // in the program folder.
  if (!Debug) {
    std::error_code ignored;
    std::filesystem::remove(PathFromUtf8(file_name), ignored);
  }
}

void TForm1::PathtoVLC1Click() {
  const std::string folder = Utf8FromPath(PathFromUtf8(player_path).parent_path());
  if (auto chosen =
          env_.dialogs.OpenFile(kPlayerChooserTitle, folder, PlayerFileName(), PlayerFileFilter()))
    player_path = *chosen;
}

void TForm1::StreamBtnClick() {
  PoolHead("http://" + camera_address + kMediaPort + "/videos", &TForm1::ShowRequestResult);
}

}  // namespace kivo
