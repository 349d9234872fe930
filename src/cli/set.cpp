// kivo-cli set NAME VALUE and set --list: the Mode and Settings menus by name.
#include "camera/status_texts.h"
#include "cli/cli_commands.h"
#include "cli/json_writer.h"
#include "cli/setting_names.h"

namespace kivo {
namespace {

constexpr int kFollowTimeoutMs = 10000;

std::string ValuesText(const SettingName& setting) {
  if (setting.kind == SettingKind::kText) return "TEXT";
  std::string text;
  for (const SettingValue& v : setting.values) text += (text.empty() ? "" : "|") + std::string(v.name);
  return text;
}

Task<int> ListSettings(CliContext& c) {
  // The current values need the camera; without it the list is still worth having.
  std::optional<CameraSnapshot> snapshot;
  try {
    snapshot = co_await c.link.ReadStatus();
  } catch (const CliError& e) {
    if (e.ExitCode() != kExitUnreachable && e.ExitCode() != kExitWrongPassword) throw;
    if (!c.args.quiet) c.err << "kivo-cli: " << e.what() << "; current values unknown\n";
  }
  const bool known = snapshot && snapshot->camera_record;
  for (const SettingName& setting : SettingNames()) {
    const bool shown = known && setting.kind != SettingKind::kText;
    const std::string current = shown ? CurrentValue(setting, *snapshot->camera) : "";
    if (c.args.json) {
      JsonWriter j;
      j.BeginObject().Field("name", setting.name).Field("what", setting.what).Key("values");
      j.BeginArray();
      for (const SettingValue& v : setting.values) j.String(v.name);
      j.EndArray();
      j.Key("current");
      shown ? j.String(current) : j.Null();
      j.EndObject();
      c.out << j.Text() << "\n";
    } else {
      std::string name = setting.name;
      name.resize(16, ' ');
      std::string now = shown ? current : "?";
      now.resize(11, ' ');
      c.out << name << now << ValuesText(setting) << "\n";
    }
  }
  co_return kExitDone;
}

}  // namespace

Task<int> RunSet(CliContext& c) {
  std::vector<std::string>& args = c.args.args;
  if (TakeFlag(args, "--list")) {
    RejectUnknownOptions(args);
    if (!args.empty()) throw CliError(kExitUsage, "set --list takes no arguments");
    co_return co_await ListSettings(c);
  }
  if (args.size() != 2) throw CliError(kExitUsage, "set takes NAME VALUE (kivo-cli set --list)");
  const SettingName* setting = FindSetting(args[0]);
  if (!setting) throw CliError(kExitUsage, "unknown setting " + args[0] + " (kivo-cli set --list)");
  const std::optional<SettingCommand> command = SettingCommandFor(*setting, args[1]);
  if (!command)
    throw CliError(kExitUsage, std::string(setting->name) + " takes " + ValuesText(*setting));
  const CameraSnapshot s = co_await c.link.ReadStatus();
  if (!s.camera_on) throw CliError(kExitFailed, kCameraOffStatus);
  if (!s.camera_record) throw CliError(kExitFailed, "The camera's status record was too short to read");
  co_await c.link.SendCommand(command->path, command->parameter);
  // The camera's name is not in its status record: the reply is all there is to go by.
  if (setting->kind != SettingKind::kText) {
    const std::string wanted = args[1];
    std::string last;
    const bool followed = co_await c.link.WaitFor(
        [&](const CameraSnapshot& now) {
          last = now.camera ? CurrentValue(*setting, *now.camera) : "";
          return last == wanted;
        },
        kFollowTimeoutMs);
    if (!followed)
      throw CliError(kExitFailed, "The camera did not follow: " + std::string(setting->name) +
                                      " is still " + (last.empty() ? "unknown" : last));
  }
  if (!c.args.quiet && !c.args.json) c.out << setting->name << ": " << args[1] << "\n";
  co_return kExitDone;
}

}  // namespace kivo
