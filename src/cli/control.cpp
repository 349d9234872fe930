// kivo-cli's commands that change the camera. Each one checks that the camera is there (and on,
// where the window's menus would be disabled), sends exactly the command the window's button or
// menu item sends, and then reads the status until it shows the change, as a person watching the
// window would: an exit status of 0 means the camera did it.
#include <cmath>
#include <filesystem>
#include <optional>

#include "camera/clock_display.h"
#include "camera/clock_text.h"
#include "camera/command_table.h"
#include "camera/command_url.h"
#include "camera/link_texts.h"
#include "camera/status_texts.h"
#include "cli/cli_commands.h"
#include "cli/json_writer.h"
#include "cli/setting_names.h"
#include "media/preview_text.h"
#include "media/text_lines.h"
#include "platform/clock.h"
#include "platform/date_time.h"
#include "platform/shell.h"

namespace kivo {
namespace {

constexpr int kFollowTimeoutMs = 10000;
constexpr int kPowerOnTimeoutMs = 20000;  // a camera takes a few seconds to start
// The camera sets its clock at once; a few readings allow for a slow media server.
constexpr int kClockFollowMs = 3000;
constexpr int kClockReadEveryMs = 500;
// How far the camera's clock may be from the time set (plus the time since): its Date header
// counts whole seconds, "local" and "utc" send the current second, and the reading takes a
// moment.
constexpr double kClockTolerance = 3 * kOneSecond;
constexpr char kNoCameraRecord[] = "The camera's status record was too short to read";
constexpr char kDidNotFollow[] = "The camera did not follow: ";

using Check = std::function<bool(const CameraSnapshot&)>;

// The parameter the window's |component| sends in the given state.
Command CommandOf(const char* component, bool checked, const char* caption) {
  const CommandRow* row = FindCommand(component);
  std::optional<std::string> parameter =
      row ? CommandParameter(*row, checked, caption ? caption : "") : std::nullopt;
  if (!parameter) throw CliError(kExitFailed, std::string("no command for ") + component);
  return {row->path, *parameter};
}

// One word out of |choices|, the command's only argument.
std::string OneWord(CliContext& c, const char* command, std::initializer_list<const char*> choices) {
  RejectUnknownOptions(c.args.args);
  std::string usage = std::string(command) + " takes one of:";
  for (const char* w : choices) usage += std::string(" ") + w;
  if (c.args.args.size() != 1) throw CliError(kExitUsage, usage);
  for (const char* w : choices)
    if (c.args.args[0] == w) return w;
  throw CliError(kExitUsage, usage);
}

Task<CameraSnapshot> NeedCameraOn(CliContext& c) {
  CameraSnapshot s = co_await c.link.ReadStatus();
  if (!s.camera_on) throw CliError(kExitFailed, kCameraOffStatus);
  if (!s.camera_record) throw CliError(kExitFailed, kNoCameraRecord);
  co_return s;
}

// Sends, then waits for |done|; |what| names the change for the time-out message.
Task<int> SendAndFollow(CliContext& c, Command command, Check done, std::string what,
                        std::string said, int timeout_ms = kFollowTimeoutMs) {
  co_await c.link.SendCommand(command.path, command.parameter);
  if (done) {
    const bool followed = co_await c.link.WaitFor(done, timeout_ms);
    if (!followed) throw CliError(kExitFailed, kDidNotFollow + what);
  }
  if (!c.args.quiet && !c.args.json) c.out << said << "\n";
  co_return kExitDone;
}

bool Checked(const CameraSnapshot& s, const char* name) { return ItemChecked(s, name); }

long Count(const CameraSnapshot& s) { return s.camera ? s.camera->photos + s.camera->videos : 0; }

bool Recording(const CameraSnapshot& s) { return s.bacpac.recording; }

// The date and time a clock text "yy.mm.dd hh.mm.ss" names (any separators, as the window
// reads them), or nullopt when it names none ("15.13.40 99:99:99"): the camera would take the
// bytes as they come.
std::optional<DateTime> TypedClock(const std::string& text) {
  if (text.size() != kClockTextLength) return std::nullopt;
  int fields[6];
  for (int i = 0; i < 6; ++i) {
    const char tens = text[i * 3];
    const char ones = text[i * 3 + 1];
    if (tens < '0' || tens > '9' || ones < '0' || ones > '9') return std::nullopt;
    fields[i] = (tens - '0') * 10 + (ones - '0');
  }
  DateTime value = 0;
  if (!TryEncodeDateTime(2000 + fields[0], fields[1], fields[2], fields[3], fields[4], fields[5],
                         0, &value))
    return std::nullopt;
  return value;
}

// The set-clock command's parameter for |text|; throws CliError(kExitUsage) with the window's
// words when the text names no date and time.
std::string ClockParameter(const std::string& text) {
  if (text.size() != kClockTextLength) throw CliError(kExitUsage, kDateWrongMessage);
  std::string parameter;
  try {
    parameter = ClockTextToTmParameter(text);
  } catch (const std::invalid_argument& e) {
    throw CliError(kExitUsage, e.what());
  }
  if (!TypedClock(text)) throw CliError(kExitUsage, kDateWrongMessage);
  return parameter;
}

// The "Date:" line of the media server's reply to HEAD /, the camera's clock; "" without one.
std::string DateLine(const HttpReply& reply) {
  for (const std::string& line : reply.header)
    if (line.compare(0, 5, "Date:") == 0) return line;
  return {};
}

// Reads the camera's clock until it shows |wanted| plus the time passed since |sent_ms|, as a
// command is confirmed through the status; throws CliError(kExitFailed) when it does not.
Task<void> FollowClock(CliContext& c, DateTime wanted, std::int64_t sent_ms) {
  const Clock& clock = SystemClock::Instance();
  std::string shows = "its clock could not be read";
  for (int waited = 0;; waited += kClockReadEveryMs) {
    const HttpReply reply =
        co_await c.link.Get(c.link.MediaBase() + "/", CameraLink::kStatusTimeoutMs, true);
    if (const std::string line = DateLine(reply); !line.empty()) {
      const std::string camera = DateHeaderToClockText(line);
      const double passed = static_cast<double>(clock.MonotonicMs() - sent_ms) * kOneMillisecond;
      if (std::fabs(ClockTextToDateTime(camera) - (wanted + passed)) <= kClockTolerance) co_return;
      shows = "its clock shows " + camera;
    }
    if (waited >= kClockFollowMs) break;
    co_await c.link.Run().Pause(kClockReadEveryMs);
    ThrowIfInterrupted();
  }
  throw CliError(kExitFailed, kDidNotFollow + shows);
}

}  // namespace

Task<int> RunPower(CliContext& c) {
  const bool on = OneWord(c, "power", {"on", "off"}) == std::string("on");
  const CameraSnapshot s = co_await c.link.ReadStatus();
  // The ON/OFF button sends by its caption, which shows what a click does.
  const Command command = CommandOf("OnBtn", false, on ? kOnCaption : kOffCaption);
  if (s.camera_on == on) {
    if (!c.args.quiet && !c.args.json) c.out << "power: already " << (on ? "on" : "off") << "\n";
    co_return kExitDone;
  }
  co_return co_await SendAndFollow(
      c, command, [on](const CameraSnapshot& now) { return now.camera_on == on && (!on || now.camera_record); },
      on ? "it is still off" : "it is still on", on ? "power: on" : "power: off",
      on ? kPowerOnTimeoutMs : kFollowTimeoutMs);
}

Task<int> RunRecord(CliContext& c) {
  const bool start = OneWord(c, "record", {"start", "stop"}) == std::string("start");
  const CameraSnapshot s = co_await NeedCameraOn(c);
  const long photos_before = Count(s);
  const Command command = CommandOf("RecordBtn", false, start ? kRecordCaption : kStopCaption);
  // In a photo mode the shutter takes the picture at once: a new file shows it was done.
  const Check done = start ? Check([photos_before](const CameraSnapshot& now) {
                               return Recording(now) || Count(now) != photos_before;
                             })
                           : Check([](const CameraSnapshot& now) { return !Recording(now); });
  co_return co_await SendAndFollow(c, command, done, start ? "it did not start" : "it is still recording",
                       start ? "record: started" : "record: stopped");
}

Task<int> RunMode(CliContext& c) {
  RejectUnknownOptions(c.args.args);
  std::string usage = "mode takes one of:";
  for (const SettingValue& m : ModeNames()) usage += std::string(" ") + m.name;
  if (c.args.args.size() != 1) throw CliError(kExitUsage, usage);
  const SettingValue* mode = nullptr;
  for (const SettingValue& m : ModeNames())
    if (c.args.args[0] == m.name) mode = &m;
  if (!mode) throw CliError(kExitUsage, usage);
  co_await NeedCameraOn(c);
  const char* item = mode->component;
  co_return co_await SendAndFollow(
      c, CommandOf(item, false, nullptr),
      [item](const CameraSnapshot& now) { return Checked(now, item); },
      std::string("the mode is not ") + mode->name, std::string("mode: ") + mode->name);
}

Task<int> RunLocate(CliContext& c) {
  const bool on = OneWord(c, "locate", {"on", "off"}) == std::string("on");
  co_await NeedCameraOn(c);
  // The item sends "switch off" while it is checked.
  co_return co_await SendAndFollow(
      c, CommandOf("Locate", !on, nullptr),
      [on](const CameraSnapshot& now) { return Checked(now, "Locate") == on; },
      on ? "locate is still off" : "locate is still on", on ? "locate: on" : "locate: off");
}

Task<int> RunDeleteLast(CliContext& c) {
  RejectUnknownOptions(c.args.args);
  if (!c.args.args.empty()) throw CliError(kExitUsage, "delete-last takes no arguments");
  const long before = Count(co_await NeedCameraOn(c));
  co_return co_await SendAndFollow(
      c, CommandOf("DeleteLast1", false, nullptr),
      [before](const CameraSnapshot& now) { return Count(now) < before; },
      "the file is still there", "deleted the last file");
}

Task<int> RunDeleteAll(CliContext& c) {
  const bool yes = TakeFlag(c.args.args, "--yes");
  RejectUnknownOptions(c.args.args);
  if (!c.args.args.empty() || !yes)
    throw CliError(kExitUsage, "delete-all deletes every file on the card; say so with --yes");
  co_await NeedCameraOn(c);
  co_return co_await SendAndFollow(
      c, CommandOf("DeleteAll1", false, nullptr),
      [](const CameraSnapshot& now) { return Count(now) == 0; }, "files are still there",
      "deleted every file");
}

Task<int> RunClock(CliContext& c) {
  RejectUnknownOptions(c.args.args);
  if (c.args.args.size() > 1) throw CliError(kExitUsage, "clock takes show, local, utc or \"yy.mm.dd hh.mm.ss\"");
  const std::string what = c.args.args.empty() ? "show" : c.args.args[0];
  const Clock& clock = SystemClock::Instance();
  if (what == "show") {
    const std::string date_line = co_await c.link.ReadClock();
    const DateTime now = clock.Now();
    const double offset = ClockTextToDateTime(DateHeaderToClockText(date_line)) - now;
    // Whole seconds toward zero, as the difference's text counts them, so that the number and
    // the text always say the same, sign included.
    const auto seconds = static_cast<std::int64_t>(
        std::trunc(std::round(offset / kOneMillisecond) / 1000.0));
    ClockLabels labels = CameraClockLabels(true, now, offset);
    labels.delta = ClockDeltaText(static_cast<double>(seconds) * kOneSecond);
    const ClockLabels computer = CameraClockLabels(true, now, 0);
    if (c.args.json) {
      JsonWriter j;
      j.BeginObject()
          .Field("camera_date", labels.date)
          .Field("camera_time", labels.time)
          .Field("computer_date", computer.date)
          .Field("computer_time", computer.time)
          .Field("difference", labels.delta)
          .Key("difference_seconds")
          .Int(seconds)
          .EndObject();
      c.out << j.Text() << "\n";
    } else {
      c.out << "Camera      " << labels.date << "  " << labels.time << "\n"
            << "Computer    " << computer.date << "  " << computer.time << "\n"
            << "Difference  " << labels.delta << "\n";
    }
    co_return kExitDone;
  }
  const bool now_wanted = what == "local" || what == "utc";
  // A typed time is checked before anything is sent; the computer's is taken once the camera
  // is known to be on, so that a slow status read does not make it late.
  if (!now_wanted) ClockParameter(what);
  co_await NeedCameraOn(c);
  // In a rig the computer's time is taken when every camera is ready for it.
  co_await c.link.Run().Together();
  std::string text = what;
  if (what == "local") text = FormatClockText(clock.Now());
  if (what == "utc")
    text = FormatClockText(clock.Now() + clock.Bias().CurrentMinutes() / 60.0 / 24.0);
  co_await c.link.SendCommand(kSetClockPath, ClockParameter(text));
  co_await FollowClock(c, *TypedClock(text), clock.MonotonicMs());
  if (!c.args.quiet && !c.args.json) c.out << "clock: set to " << text << "\n";
  co_return kExitDone;
}

Task<int> RunPreview(CliContext& c) {
  const std::optional<std::string> player = TakeOption(c.args.args, "--player");
  RejectUnknownOptions(c.args.args);
  if (!c.args.args.empty()) throw CliError(kExitUsage, "preview takes only --player PATH");
  const CameraSnapshot s = co_await NeedCameraOn(c);
  if (!Checked(s, "StreamingEnabled")) {
    const Command command = CommandOf("StreamingEnabled", false, nullptr);
    co_await c.link.SendCommand(command.path, command.parameter);
    const bool on = co_await c.link.WaitFor(
        [](const CameraSnapshot& now) { return Checked(now, "StreamingEnabled"); },
        kFollowTimeoutMs);
    if (!on) throw CliError(kExitFailed, kDidNotFollow + std::string("the preview stream is still off"));
  }
  const HttpReply live =
      co_await c.link.Get(c.link.MediaBase() + kLivePath, CameraLink::kStatusTimeoutMs);
  const unsigned error = live.timed_out ? 10060u : live.error;
  if (error != 0 || !StreamAnswered(SplitLines(live.body).size() + 1))
    throw CliError(kExitFailed, StreamNotFoundText(error));
  const std::string url = c.link.MediaBase() + kStreamPath;
  if (!player) {
    c.out << url << "\n";
    co_return kExitDone;
  }
  SystemShell shell;
  if (!shell.StartProgram(*player, PlayerArguments(c.link.Address())))
    throw CliError(kExitFailed, PlayerNotStartedText(*player));
  co_return kExitDone;
}

}  // namespace kivo
