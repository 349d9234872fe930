// The camera clock in the main window: read from the Date header of the camera's media server,
// kept as an offset from the computer's clock and shown every second; set through the command
// channel to local time, UTC or a typed date. Loop thread only.
#include <cstdio>
#include <filesystem>

#include "camera/clock_display.h"
#include "camera/clock_text.h"
#include "camera/command_url.h"
#include "camera/link_texts.h"
#include "media/preview_text.h"
#include "media/reply_file.h"
#include "forms/main_window.h"
#include "platform/file_path.h"

namespace kivo {
namespace {

constexpr const char* kCustomDateTitle = "Set Camera Date and Time";
constexpr const char* kCustomDatePrompt = "yy.mm.dd hh.mm.ss:";
constexpr std::size_t kDateHeaderLine = 2;  // after the status line and "Server"

}  // namespace

void TForm1::GetTimeBtnClick() {
  PoolHead("http://" + camera_address + kMediaPort + "/", &TForm1::GetTimeDone);
}

void TForm1::GetTimeDone(const std::string&, const std::string& file_name,
                         std::uint16_t error) {
  if (error != 0) ReportMediaServerError(error);
  std::optional<ReplyText> reply = ReadReplyFile(file_name);
  if (!reply) return;
  std::vector<std::string> lines = std::move(reply->lines);
  // Only a line of the reply is a date: with two lines or fewer, the third line of the list
  // would be our own "Received - " line, so the clock stays unknown.
  const bool has_date = lines.size() > kDateHeaderLine;
  const std::string date_line = has_date ? lines[kDateHeaderLine] : "";
  lines.push_back("Received - " + std::to_string(reply->bytes));
  model_["ListBox1"].SetLines(std::move(lines));
  if (has_date) {
    // The header's zone is not read: the camera keeps local time.
    ClockOffset = ClockTextToDateTime(DateHeaderToClockText(date_line)) - env_.clock.Now();
    camera.ClockKnown = true;
  }
  std::error_code ignored;
  std::filesystem::remove(PathFromUtf8(file_name), ignored);
}

void TForm1::ClockTimerTimer() {
  const ClockLabels labels = CameraClockLabels(camera.ClockKnown, env_.clock.Now(), ClockOffset);
  model_["CamDate"].SetCaption(labels.date);
  model_["CamTime"].SetCaption(labels.time);
  if (!camera.ClockKnown) {
    model_["Delta"].SetCaption(labels.delta);
    return;
  }
  // Keeps the window responsive; a clock read or set may finish meanwhile, so the difference is
  // taken afterwards.
  env_.loop.ProcessPendingMessages();
  model_["Delta"].SetCaption(ClockDeltaText(ClockOffset));
}

bool TForm1::SendClockText(const std::string& text) {
  if (text.size() != kClockTextLength) return false;
  // A field that is not a number throws here, before anything is sent.
  SendCommand(kSetClockPath, ClockTextToTmParameter(text));
  return true;
}

void TForm1::LocalTime1Click() {
  if (SendClockText(FormatClockText(env_.clock.Now()))) ClockOffset = 0;
}

void TForm1::UTC1Click() {
  const double bias_days = env_.clock.Bias().CurrentMinutes() / 60.0 / 24.0;
  if (SendClockText(FormatClockText(env_.clock.Now() + bias_days))) ClockOffset = bias_days;
}

void TForm1::SetDate1Click() {
  std::optional<std::string> text = env_.dialogs.InputQuery(
      kCustomDateTitle, kCustomDatePrompt, FormatClockText(env_.clock.Now()));
  if (!text) return;
  if (!SendClockText(*text)) ShowMessage(kDateWrongMessage);
}

}  // namespace kivo
