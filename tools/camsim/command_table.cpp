#include "command_table.h"

#include <array>
#include <cctype>

namespace kivo::camsim {
namespace {

using Handler = CommandResult (*)(CameraState&, const CommandQuery&);

// Most commands take one byte that must lie in a range.
bool OneByte(const CommandQuery& q, int max, int* value) {
  if (!q.has_parameter || q.parameter.size() != 1) return false;
  *value = static_cast<uint8_t>(q.parameter[0]);
  return *value <= max;
}

CommandResult Result(bool ok) { return ok ? CommandResult::kDone : CommandResult::kRejected; }

// Settings a camera refuses to change while it is capturing.
bool Idle(const CameraState& s) { return s.camera_on() && !s.busy(); }

// A setting stored as one byte of the camera record.
template <uint8_t CameraSettings::*Field, int Max, bool NeedsIdle>
CommandResult SetByte(CameraState& s, const CommandQuery& q) {
  int v = 0;
  if (!OneByte(q, Max, &v) || !s.camera_on() || (NeedsIdle && s.busy())) {
    return CommandResult::kRejected;
  }
  s.settings().*Field = static_cast<uint8_t>(v);
  return CommandResult::kDone;
}

// A setting that is one flag bit of the camera record.
template <bool CameraSettings::*Field>
CommandResult SetFlag(CameraState& s, const CommandQuery& q) {
  int v = 0;
  if (!OneByte(q, 1, &v) || !s.camera_on()) return CommandResult::kRejected;
  s.settings().*Field = v == 1;
  return CommandResult::kDone;
}

CommandResult Power(CameraState& s, const CommandQuery& q) {
  int v = 0;
  if (!OneByte(q, 1, &v)) return CommandResult::kRejected;
  s.SetPower(v == 1);
  return CommandResult::kDone;
}

CommandResult Shutter(CameraState& s, const CommandQuery& q) {
  int v = 0;
  if (!OneByte(q, 1, &v) || !s.camera_on()) return CommandResult::kRejected;
  if (v == 0) {
    s.StopCapture();
    return CommandResult::kDone;
  }
  return Result(s.Shutter());
}

// Protune has no byte of its own: the Protune video modes are 7..11, so switching it moves the
// video mode to the matching mode on the other side.
CommandResult Protune(CameraState& s, const CommandQuery& q) {
  static constexpr std::array<uint8_t, 7> kOn = {10, 10, 7, 7, 7, 9, 9};  // from modes 0..6
  static constexpr std::array<uint8_t, 5> kOff = {4, 4, 5, 0, 4};         // from modes 7..11
  int v = 0;
  if (!OneByte(q, 1, &v) || !Idle(s)) return CommandResult::kRejected;
  uint8_t& mode = s.settings().video_mode;
  const bool protune = mode >= 7;
  if (v == 1 && !protune) {
    mode = kOn[mode];
    if (mode == 7 && s.settings().pal) mode = 11;
  }
  if (v == 0 && protune) mode = kOff[mode - 7];
  return CommandResult::kDone;
}

CommandResult TimeLapse(CameraState& s, const CommandQuery& q) {
  int v = 0;
  if (!OneByte(q, 255, &v) || !Idle(s)) return CommandResult::kRejected;
  if (v != 0 && v != 1 && v != 2 && v != 5 && v != 10 && v != 30 && v != 60) {
    return CommandResult::kRejected;
  }
  s.settings().timelapse = static_cast<uint8_t>(v);
  return CommandResult::kDone;
}

// Switching the video standard swaps the one mode that differs between NTSC and PAL.
CommandResult VideoStandard(CameraState& s, const CommandQuery& q) {
  int v = 0;
  if (!OneByte(q, 1, &v) || !Idle(s)) return CommandResult::kRejected;
  CameraSettings& settings = s.settings();
  settings.pal = v == 1;
  if (settings.pal && settings.video_mode == 7) settings.video_mode = 11;
  if (!settings.pal && settings.video_mode == 11) settings.video_mode = 7;
  return CommandResult::kDone;
}

CommandResult Preview(CameraState& s, const CommandQuery& q) {
  int v = 0;
  if (!OneByte(q, 2, &v) || v == 1 || !s.camera_on()) return CommandResult::kRejected;
  s.settings().streaming = v == 2;
  return CommandResult::kDone;
}

// The program sends a length byte (always 9) and then the name as typed; the name is what
// follows, cut to what fits in a Wi-Fi network name, with control characters dropped.
CommandResult CameraName(CameraState& s, const CommandQuery& q) {
  if (!q.has_parameter || q.parameter.empty() || !s.camera_on()) return CommandResult::kRejected;
  std::string name;
  for (char c : q.parameter.substr(1)) {
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f) name.push_back(c);
  }
  if (name.empty()) return CommandResult::kRejected;
  if (name.size() > 32) name.resize(32);
  s.set_name(std::move(name));
  return CommandResult::kDone;
}

CommandResult DeleteLast(CameraState& s, const CommandQuery&) {
  if (!Idle(s) || !s.card().present()) return CommandResult::kRejected;
  return Result(s.card().DeleteLast());
}

CommandResult DeleteAll(CameraState& s, const CommandQuery&) {
  if (!Idle(s) || !s.card().present()) return CommandResult::kRejected;
  s.card().DeleteAll();
  return CommandResult::kDone;
}

// Six bytes: year since 2000, month, day, hour, minute, second.
CommandResult SetClock(CameraState& s, const CommandQuery& q) {
  if (!q.has_parameter || q.parameter.size() != 6 || !s.camera_on()) {
    return CommandResult::kRejected;
  }
  auto byte = [&](int i) { return static_cast<uint8_t>(q.parameter[i]); };
  const CivilTime t{2000 + byte(0), byte(1), byte(2), byte(3), byte(4), byte(5)};
  if (!IsValid(t)) return CommandResult::kRejected;
  s.clock().Set(t);
  return CommandResult::kDone;
}

struct CommandRow {
  std::string_view group;
  std::string_view code;
  Handler handler;
};

constexpr std::array<CommandRow, 20> kCommands = {{
    {"bacpac", "PW", Power},
    {"bacpac", "SH", Shutter},
    {"camera", "CM", SetByte<&CameraSettings::mode, 4, true>},
    {"camera", "PT", Protune},
    {"camera", "EX", SetByte<&CameraSettings::spot_meter, 1, false>},
    {"camera", "UP", SetFlag<&CameraSettings::orientation_up>},
    {"camera", "VR", SetByte<&CameraSettings::video_mode, 11, true>},
    {"camera", "FV", SetByte<&CameraSettings::fov, 2, true>},
    {"camera", "PR", SetByte<&CameraSettings::photo_res, 8, true>},
    {"camera", "TI", TimeLapse},
    {"camera", "BS", SetByte<&CameraSettings::beep, 2, false>},
    {"camera", "DM", SetByte<&CameraSettings::default_mode, 3, false>},
    {"camera", "LB", SetByte<&CameraSettings::leds, 2, false>},
    {"camera", "VM", VideoStandard},
    {"camera", "LL", SetFlag<&CameraSettings::locate>},
    {"camera", "CN", CameraName},
    {"camera", "PV", Preview},
    {"camera", "DL", DeleteLast},
    {"camera", "DA", DeleteAll},
    {"camera", "TM", SetClock},
}};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string PercentDecode(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
        HexDigit(text[i + 2]) >= 0) {
      out.push_back(static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2])));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

CommandQuery ParseCommandQuery(std::string_view query) {
  CommandQuery q;
  bool has_password = false;
  // "&" separates the fields; a "&" of the password or of a camera name arrives as "%26". The
  // first of each field counts.
  size_t start = 0;
  while (start <= query.size()) {
    size_t end = query.find('&', start);
    if (end == std::string_view::npos) end = query.size();
    const std::string_view pair = query.substr(start, end - start);
    if (pair.starts_with("t=") && !has_password) {
      has_password = true;
      q.password = PercentDecode(pair.substr(2));
    } else if (pair.starts_with("p=") && !q.has_parameter) {
      q.has_parameter = true;
      q.parameter = PercentDecode(pair.substr(2));
    }
    start = end + 1;
  }
  return q;
}

CommandResult RunCommand(CameraState& state, std::string_view group, std::string_view code,
                         const CommandQuery& query) {
  for (const CommandRow& row : kCommands) {
    if (row.group == group && row.code == code) {
      state.Advance();
      return row.handler(state, query);
    }
  }
  return CommandResult::kUnknown;
}

}  // namespace kivo::camsim
