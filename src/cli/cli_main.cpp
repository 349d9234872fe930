#include "cli/cli_main.h"

#include "kivo_version.h"
#include "camera/camera_passwords.h"
#include "camera/settings_keys.h"
#include "cli/sync_link.h"
#include "cli/cli_commands.h"
#include "cli/setting_names.h"
#include "platform/console.h"
#include "platform/ini_file.h"
#include "platform/net_interfaces.h"

namespace kivo {
namespace {

constexpr char kCompletionCommand[] = "_words";

constexpr CliCommand kCommands[] = {
    {"status", RunStatus},       {"watch", RunWatch},
    {"power", RunPower},         {"record", RunRecord},
    {"mode", RunMode},           {"locate", RunLocate},
    {"set", RunSet},             {"clock", RunClock},
    {"ls", RunLs},               {"get", RunGet},
    {"delete-last", RunDeleteLast}, {"delete-all", RunDeleteAll},
    {"preview", RunPreview},     {"cameras", RunCameras},
};

// The words a command takes after it, for completion.
struct CommandWords {
  const char* command;
  std::initializer_list<const char*> words;
};
const CommandWords kCommandWords[] = {
    {"watch", {"--interval"}},
    {"power", {"on", "off"}},
    {"record", {"start", "stop"}},
    {"mode", {"video", "photo", "burst", "timelapse", "countdown"}},
    {"locate", {"on", "off"}},
    {"clock", {"show", "local", "utc"}},
    {"get", {"--new", "--all", "--to"}},
    {"delete-all", {"--yes"}},
    {"preview", {"--player"}},
};

// The password for the camera behind |interface_name|: --password for every camera, else the
// settings' rows as the window reads them (PasswordFromSettings).
std::string PasswordFor(const std::string& interface_name, const CliArgs& args,
                        const IniFile* ini, const std::string& password) {
  if (args.password) return *args.password;
  return PasswordFromSettings(interface_name, ini, password);
}

}  // namespace

std::vector<std::string> CompletionWords(const std::vector<std::string>& words) {
  std::vector<std::string> out;
  if (words.empty()) {
    for (const CliCommand& c : kCommands) out.push_back(c.name);
    return out;
  }
  if (words[0] == "set") {
    if (words.size() == 1) {
      out.push_back("--list");
      for (const SettingName& s : SettingNames()) out.push_back(s.name);
    } else if (const SettingName* s = words.size() == 2 ? FindSetting(words[1]) : nullptr) {
      for (const SettingValue& v : s->values) out.push_back(v.name);
    }
    return out;
  }
  for (const CommandWords& w : kCommandWords)
    if (words.size() == 1 && words[0] == w.command) out.assign(w.words.begin(), w.words.end());
  return out;
}

int RunCli(const std::vector<std::string>& arguments,
           const std::function<std::string()>& settings_file, std::ostream& out,
           std::ostream& err) {
  try {
    CliArgs args = ParseCliArgs(arguments);
    if (args.version) {
      out << "kivo-cli " << kProgramVersion << "\n";
      return kExitDone;
    }
    if (args.help || args.command.empty()) {
      (args.help ? out : err) << UsageText();
      return args.help ? kExitDone : kExitUsage;
    }
    if (args.command == kCompletionCommand) {
      for (const std::string& w : CompletionWords(args.args)) out << w << "\n";
      return kExitDone;
    }
    const CliCommand* command = nullptr;
    for (const CliCommand& c : kCommands)
      if (args.command == c.name) command = &c;
    if (!command) throw CliError(kExitUsage, "unknown command " + args.command + " (kivo-cli --help)");

    // The window's settings for the camera, read the way the window reads them.
    const SettingKey& address_key = kAddressSetting;
    const SettingKey& password_key = kPasswordSetting;
    std::string address = address_key.default_text;
    std::string password = password_key.default_text;
    const std::string ini_path = settings_file ? settings_file() : "";
    std::optional<IniFile> ini;
    if (!ini_path.empty()) {
      ini.emplace(ini_path);
      address = ini->ReadString(address_key.section, address_key.key, address_key.default_text);
      password = ini->ReadString(password_key.section, password_key.key, password_key.default_text);
    }
    if (args.address) address = *args.address;
    auto password_for = [&](const std::string& interface_name) {
      return PasswordFor(interface_name, args, ini ? &*ini : nullptr, password);
    };
    const std::string interface_name = args.interface_name.value_or("");
    if (args.interface_name) {
      // Said before anything is sent: no request may quietly take another way to a camera.
      NetInterface found;
      if (interface_name.empty() || FindNetInterface(interface_name, &found) != 0)
        throw CliError(kExitUnreachable, kNoInterfaceNamed + interface_name);
    }

    CatchInterrupts();
    PollEventLoop loop;
    LinkOptions options(address, password_for(interface_name));
    options.interface_name = interface_name;
    SyncLink link(loop, options);
    CliContext context{args, link, out, err, StandardErrorIsTerminal() && !args.quiet,
                       password_for};
    const int code = command->run(context);
    out.flush();
    return code;
  } catch (const CliError& e) {
    out.flush();
    err << "kivo-cli: " << e.what() << "\n";
    return e.ExitCode();
  } catch (const std::exception& e) {
    out.flush();
    err << "kivo-cli: " << e.what() << "\n";
    return kExitFailed;
  }
}

}  // namespace kivo
