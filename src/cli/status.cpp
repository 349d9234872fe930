// kivo-cli status and watch: both records' values as text for people and as JSON for scripts,
// with the window's own texts (model names, batteries, mode captions, its log lines).
#include <string_view>

#include "camera/camera_status.h"
#include "camera/status_texts.h"
#include "cli/cli_commands.h"
#include "cli/json_writer.h"
#include "cli/setting_names.h"
#include "platform/console.h"

namespace kivo {
namespace {

constexpr int kDefaultWatchSeconds = 5;

std::string Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \r\n");
  if (first == std::string_view::npos) return "";
  const auto last = text.find_last_not_of(" \r\n");
  return std::string(text.substr(first, last - first + 1));
}

// The two mode labels on one line: "Video 1080-30 T, Wide".
std::string ModeText(const CameraStatus& camera) {
  const ModeCaptions captions = StatusModeCaptions(camera);
  std::string mode = Trim(captions.mode);
  const std::string more = Trim(captions.detail);
  if (!more.empty()) mode += ", " + more;
  return mode;
}

std::optional<std::string> WiFiBattery(const BacPacStatus& bacpac) {
  if (!bacpac.wifi_battery) return std::nullopt;
  return WiFiBatteryValue(*bacpac.wifi_battery);
}

std::string CameraBatteryText(const CameraSnapshot& s) {
  return BatteryValue(CameraBattery(*s.camera, s.bacpac.model_code));
}

std::string StatusLineOf(const CameraSnapshot& s) {
  return StatusLine(s.bacpac, s.camera ? &*s.camera : nullptr);
}

std::vector<std::string> Notes(const CameraSnapshot& s) {
  std::vector<std::string> notes = BacPacNotes(s.bacpac);
  if (s.camera)
    for (std::string& note : CameraNotes(*s.camera)) notes.push_back(std::move(note));
  return notes;
}

}  // namespace

std::string StatusJson(const CameraSnapshot& s, const std::string& address) {
  JsonWriter j;
  j.BeginObject();
  j.Field("address", address);
  j.Field("model", ModelName(s.bacpac.model_code));
  j.Field("model_code", s.bacpac.model_code);
  j.Field("power", s.camera_on ? "on" : "off");
  j.Field("status_line", StatusLineOf(s));
  const std::optional<std::string> wifi_battery = WiFiBattery(s.bacpac);
  wifi_battery ? j.Field("wifi_battery", *wifi_battery) : j.Key("wifi_battery").Null();
  if (s.camera) {
    const CameraStatus& camera = *s.camera;
    j.Field("mode", CurrentMode(camera));
    j.Field("mode_text", ModeText(camera));
    j.Field("recording", s.bacpac.recording);
    j.Field("recording_time", RecordingTime(camera));
    j.Field("battery", CameraBatteryText(s));
    j.Field("photos", camera.photos);
    j.Field("photos_available", camera.photos_available);
    j.Field("videos", camera.videos);
    j.Field("video_minutes_available", camera.video_minutes_available);
    j.Field("preview_stream", camera.flags.streaming);
    j.Field("locate", camera.flags.locate);
    j.Key("settings").BeginObject();
    for (const SettingName& setting : SettingNames()) {
      if (setting.kind == SettingKind::kText) continue;
      j.Field(setting.name, CurrentValue(setting, camera));
    }
    j.EndObject();
  } else {
    for (const char* key : {"mode", "mode_text", "recording", "recording_time", "battery",
                            "photos", "photos_available", "videos", "video_minutes_available",
                            "preview_stream", "locate", "settings"})
      j.Key(key).Null();
  }
  j.Key("notes").BeginArray();
  for (const std::string& note : Notes(s)) j.String(note);
  j.EndArray();
  j.EndObject();
  return j.Text();
}

std::string StatusText(const CameraSnapshot& s) {
  auto row = [](std::string_view label, const std::string& value) {
    std::string line(label);
    line.resize(16, ' ');
    return line + value + "\n";
  };
  std::string out =
      row("Camera", ModelName(s.bacpac.model_code) + (s.camera_on ? " (on)" : " (off)"));
  if (const auto wifi_battery = WiFiBattery(s.bacpac)) out += row("WiFi battery", *wifi_battery);
  if (s.camera) {
    const CameraStatus& camera = *s.camera;
    const std::string time = RecordingTime(camera);
    out += row("Mode", ModeText(camera));
    out += row("Recording", (s.bacpac.recording ? "yes, " : "no, ") + time);
    out += row("Battery", CameraBatteryText(s));
    out += row("Photos", std::to_string(camera.photos) + " (room for " +
                             std::to_string(camera.photos_available) + ")");
    out += row("Videos", std::to_string(camera.videos) + " (room for " +
                             std::to_string(camera.video_minutes_available) + kMinutesSuffix +
                             ")");
    out += row("Preview stream", camera.flags.streaming ? "on" : "off");
    for (const SettingName& setting : SettingNames()) {
      if (setting.kind == SettingKind::kText) continue;
      out += row(setting.name, CurrentValue(setting, camera));
    }
  }
  const std::string status_line = StatusLineOf(s);
  if (!status_line.empty()) out += row("Status", status_line);
  for (const std::string& note : Notes(s)) out += row("Note", note);
  return out;
}

Task<int> RunStatus(CliContext& c) {
  RejectUnknownOptions(c.args.args);
  if (!c.args.args.empty()) throw CliError(kExitUsage, "status takes no arguments");
  const CameraSnapshot s = co_await c.link.ReadStatus();
  c.out << (c.args.json ? StatusJson(s, c.link.Address()) + "\n" : StatusText(s));
  co_return kExitDone;
}

Task<int> RunWatch(CliContext& c) {
  std::vector<std::string>& args = c.args.args;
  int seconds = kDefaultWatchSeconds;
  if (auto interval = TakeOption(args, "--interval")) {
    try {
      seconds = std::stoi(*interval);
    } catch (const std::exception&) {
      seconds = 0;
    }
    if (seconds < 1) throw CliError(kExitUsage, "--interval takes whole seconds, 1 or more");
  }
  RejectUnknownOptions(args);
  if (!args.empty()) throw CliError(kExitUsage, "watch takes no arguments");
  // Interrupting is the normal way to end a watch.
  while (!InterruptExitCode()) {
    try {
      const CameraSnapshot s = co_await c.link.ReadStatus();
      c.out << (c.args.json ? StatusJson(s, c.link.Address()) + "\n" : StatusText(s) + "\n");
    } catch (const CliError& e) {
      if (InterruptExitCode()) break;
      // A camera that drops out is part of what a watch shows; it goes on.
      if (c.args.json) {
        JsonWriter j;
        j.BeginObject().Field("error", e.what()).Field("exit", e.ExitCode()).EndObject();
        c.out << j.Text() << "\n";
      } else {
        c.out.flush();
        c.err << "kivo-cli: " << e.what() << "\n";
      }
    }
    c.out.flush();
    co_await c.link.Run().Pause(seconds * 1000);
  }
  // Ended by the user: the interrupt's own status, as for every other command.
  co_return InterruptExitCode();
}

}  // namespace kivo
