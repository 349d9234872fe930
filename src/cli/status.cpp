// kivo-cli status and watch: both records decoded as the window shows them.
#include <string_view>

#include "cli/cli_commands.h"
#include "cli/json_writer.h"
#include "cli/setting_names.h"
#include "platform/console.h"

namespace kivo {
namespace {

constexpr std::string_view kBatteryPrefix = "Battery: ";
constexpr std::string_view kWiFiBatteryPrefix = "WiFi Battery:\r";
constexpr int kDefaultWatchSeconds = 5;

std::string Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \r\n");
  if (first == std::string_view::npos) return "";
  const auto last = text.find_last_not_of(" \r\n");
  return std::string(text.substr(first, last - first + 1));
}

std::string After(const std::string& text, std::string_view prefix) {
  return text.compare(0, prefix.size(), prefix) == 0 ? text.substr(prefix.size()) : text;
}

std::string Caption(const CameraSnapshot& s, const char* name) {
  return s.model->Get(name).Caption();
}

long Number(const std::string& text) {
  try {
    return std::stol(text);
  } catch (const std::exception&) {
    return -1;
  }
}

bool Recording(const CameraSnapshot& s) { return Caption(s, "RecordBtn") == "Stop"; }

std::string Battery(const CameraSnapshot& s) {
  return Trim(After(Caption(s, "CamBat"), kBatteryPrefix));
}

std::string WiFiBattery(const CameraSnapshot& s) {
  return Trim(After(Caption(s, "BacPacBat"), kWiFiBatteryPrefix));
}

std::string ModeText(const CameraSnapshot& s) {
  std::string mode = Trim(Caption(s, "ModeL"));
  const std::string more = Trim(Caption(s, "Mode2L"));
  if (!more.empty()) mode += ", " + more;
  return mode;
}

bool Checked(const CameraSnapshot& s, const char* name) { return s.model->Get(name).Checked(); }

}  // namespace

std::string StatusJson(const CameraSnapshot& s, const std::string& address) {
  JsonWriter j;
  j.BeginObject();
  j.Field("address", address);
  j.Field("model", Trim(Caption(s, "CamPanel")));
  j.Field("model_code", s.state.CameraModel);
  j.Field("power", s.camera_on ? "on" : "off");
  j.Field("status_line", Caption(s, "StatusBar"));
  j.Field("wifi_battery", WiFiBattery(s));
  if (s.camera_record) {
    j.Field("mode", CurrentMode(*s.model));
    j.Field("mode_text", ModeText(s));
    j.Field("recording", Recording(s));
    j.Field("recording_time", Caption(s, "Time"));
    j.Field("battery", Battery(s));
    j.Key("photos").Int(Number(Caption(s, "Photos")));
    j.Key("photos_available").Int(Number(Caption(s, "PhotosAvailable")));
    j.Key("videos").Int(Number(Caption(s, "Videos")));
    j.Key("video_minutes_available").Int(Number(Caption(s, "VideoAvailable")));
    j.Field("preview_stream", Checked(s, "StreamingEnabled"));
    j.Field("locate", Checked(s, "Locate"));
    j.Key("settings").BeginObject();
    for (const SettingName& setting : SettingNames()) {
      if (setting.kind == SettingKind::kText) continue;
      j.Field(setting.name, CurrentValue(setting, *s.model));
    }
    j.EndObject();
  } else {
    for (const char* key : {"mode", "mode_text", "recording", "recording_time", "battery",
                            "photos", "photos_available", "videos", "video_minutes_available",
                            "preview_stream", "locate", "settings"})
      j.Key(key).Null();
  }
  j.Key("notes").BeginArray();
  for (const std::string& note : s.notes) j.String(note);
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
  std::string out = row("Camera", Trim(Caption(s, "CamPanel")) + (s.camera_on ? " (on)" : " (off)"));
  if (!WiFiBattery(s).empty()) out += row("WiFi battery", WiFiBattery(s));
  if (s.camera_record) {
    out += row("Mode", ModeText(s));
    out += row("Recording", (Recording(s) ? "yes, " : "no, ") + Caption(s, "Time"));
    out += row("Battery", Battery(s));
    out += row("Photos", Caption(s, "Photos") + " (room for " + Caption(s, "PhotosAvailable") + ")");
    out += row("Videos", Caption(s, "Videos") + " (room for " + Caption(s, "VideoAvailable") + ")");
    out += row("Preview stream", Checked(s, "StreamingEnabled") ? "on" : "off");
    for (const SettingName& setting : SettingNames()) {
      if (setting.kind == SettingKind::kText) continue;
      out += row(setting.name, CurrentValue(setting, *s.model));
    }
  }
  if (!Caption(s, "StatusBar").empty()) out += row("Status", Caption(s, "StatusBar"));
  for (const std::string& note : s.notes) out += row("Note", note);
  return out;
}

int RunStatus(CliContext& c) {
  RejectUnknownOptions(c.args.args);
  if (!c.args.args.empty()) throw CliError(kExitUsage, "status takes no arguments");
  const CameraSnapshot s = c.link.ReadStatus();
  c.out << (c.args.json ? StatusJson(s, c.link.Address()) + "\n" : StatusText(s));
  return kExitDone;
}

int RunWatch(CliContext& c) {
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
      const CameraSnapshot s = c.link.ReadStatus();
      c.out << (c.args.json ? StatusJson(s, c.link.Address()) + "\n" : StatusText(s) + "\n");
    } catch (const CliError& e) {
      if (InterruptExitCode()) break;
      // A camera that drops out is part of what a watch shows; it goes on.
      if (c.args.json) {
        JsonWriter j;
        j.BeginObject().Field("error", e.what()).Field("exit", e.ExitCode()).EndObject();
        c.out << j.Text() << "\n";
      } else {
        c.out << e.what() << "\n\n";
      }
    }
    c.out.flush();
    c.link.RunUntil([] { return false; }, seconds * 1000);
  }
  return kExitDone;
}

}  // namespace kivo
