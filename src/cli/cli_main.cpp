#include "cli/cli_main.h"

#include <algorithm>
#include <memory>

#include "kivo_version.h"
#include "camera/camera_passwords.h"
#include "camera/settings_keys.h"
#include "cli/cli_link.h"
#include "cli/cli_run.h"
#include "cli/rig_output.h"
#include "cli/cli_commands.h"
#include "cli/setting_names.h"
#include "platform/console.h"
#include "platform/ini_file.h"
#include "platform/net_interfaces.h"

namespace kivo {
namespace {

constexpr char kCompletionCommand[] = "_words";

constexpr CliCommand kCommands[] = {
    {"status", RunStatus, true},           {"watch", RunWatch, true},
    {"power", RunPower, true},             {"record", RunRecord, true},
    {"mode", RunMode, true},               {"locate", RunLocate, true},
    {"set", RunSet, true},                 {"clock", RunClock, true},
    {"ls", RunLs, true},                   {"get", RunGet, true},
    {"delete-last", RunDeleteLast, true},  {"delete-all", RunDeleteAll, true},
    {"preview", RunPreview, false},        {"cameras", RunCameras, false},
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
// interface's [Cameras] row, else the row of its Wi-Fi network (asked of the system only when
// rows exist: it takes a moment), else the one password of [BacPac].
std::string PasswordFor(const std::string& interface_name, const CliArgs& args,
                        const IniFile* ini, const std::string& password) {
  if (args.password) return *args.password;
  if (interface_name.empty() || !ini || !ini->SectionExists(kCamerasSection)) return password;
  std::vector<CameraPasswordRow> rows;
  auto add_row = [&](const std::string& key) {
    if (!key.empty() && ini->ValueExists(kCamerasSection, key))
      rows.push_back({key, ini->ReadString(kCamerasSection, key, "")});
  };
  add_row(interface_name);
  std::string ssid;
  if (rows.empty()) {
    ssid = WifiNetworkName(interface_name);
    add_row(ssid);
  }
  return CameraPassword(interface_name, ssid, rows).value_or(password);
}

// The interfaces --interface names ("A" or "A,B,C"), or with --all every one that leads into the
// camera network of |address|. Each is checked before anything is sent: no request may quietly
// take another way to a camera.
std::vector<std::string> ChosenInterfaces(const CliArgs& args, const std::string& address) {
  std::vector<std::string> names;
  if (args.all) {
    if (args.interface_name)
      throw CliError(kExitUsage, "--all and --interface cannot be given together");
    for (const NetInterface& nif : CameraInterfaces(address)) names.push_back(nif.name);
    return names;
  }
  if (!args.interface_name) return names;
  const std::string& list = *args.interface_name;
  for (std::size_t begin = 0;;) {
    const std::size_t comma = list.find(',', begin);
    names.push_back(list.substr(begin, comma == std::string::npos ? std::string::npos : comma - begin));
    if (comma == std::string::npos) break;
    begin = comma + 1;
  }
  for (const std::string& name : names) {
    NetInterface found;
    if (name.empty() || FindNetInterface(name, &found) != 0)
      throw CliError(kExitUnreachable, kNoInterfaceNamed + name);
  }
  return names;
}

// Runs |command| on every camera in |interfaces| at once: one link each on the one loop, each
// line of output marked with its camera, each camera's failure on standard error. Returns the
// most serious camera's exit status.
int RunOnRig(const CliCommand& command, const CliArgs& args, const std::string& address,
             const std::vector<std::string>& interfaces,
             const std::function<std::string(const std::string&)>& password_for, CliRun& run,
             std::ostream& out, std::ostream& err) {
  struct Camera {
    Camera(CliRun& run, LinkOptions options, const CliArgs& args, std::ostream& out,
           std::ostream& err, const std::string& name)
        : link(run, std::move(options)),
          args(args),
          out_lines(out, name, args.json ? LineKind::kJson : LineKind::kText),
          err_lines(err, name, LineKind::kError),
          marked_out(&out_lines),
          marked_err(&err_lines) {}
    CliLink link;
    CliArgs args;  // each camera's runner takes its own arguments out of its copy
    MarkedLines out_lines;
    MarkedLines err_lines;
    std::ostream marked_out;
    std::ostream marked_err;
  };
  std::vector<std::unique_ptr<Camera>> cameras;
  std::vector<std::unique_ptr<CliContext>> contexts;
  std::vector<Task<int>> tasks;
  for (const std::string& name : interfaces) {
    LinkOptions options(address, password_for(name));
    options.interface_name = name;
    cameras.push_back(std::make_unique<Camera>(run, options, args, out, err, name));
    Camera& camera = *cameras.back();
    // Progress lines of several downloads would write over each other.
    contexts.push_back(std::make_unique<CliContext>(
        CliContext{camera.args, camera.link, camera.marked_out, camera.marked_err, false,
                   password_for, name}));
    tasks.push_back(command.run(*contexts.back()));
  }
  run.RunAll(tasks);
  int code = kExitDone;
  std::vector<std::string> usage_said;
  for (std::size_t i = 0; i < tasks.size(); ++i) {
    int camera_code = kExitDone;
    try {
      camera_code = tasks[i].Result();
    } catch (const CliError& e) {
      camera_code = e.ExitCode();
      cameras[i]->marked_out.flush();
      // The same mistake in the command line is said once, not once per camera.
      if (camera_code == kExitUsage) {
        if (std::find(usage_said.begin(), usage_said.end(), e.what()) == usage_said.end()) {
          usage_said.push_back(e.what());
          err << "kivo-cli: " << e.what() << "\n";
        }
      } else {
        cameras[i]->marked_err << "kivo-cli: " << e.what() << "\n";
      }
    } catch (const std::exception& e) {
      camera_code = kExitFailed;
      cameras[i]->marked_err << "kivo-cli: " << e.what() << "\n";
    }
    code = MostSeriousExit(code, camera_code);
  }
  tasks.clear();
  cameras.clear();
  out.flush();
  return code;
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
    const std::vector<std::string> interfaces = ChosenInterfaces(args, address);
    const bool rig = args.all || interfaces.size() > 1;
    // cameras lists every camera by itself; --all asks nothing more of it.
    if (rig && !command->every_camera && !(args.all && args.command == "cameras"))
      throw CliError(kExitUsage, args.command + " runs on one camera: choose it with --interface NAME");

    CatchInterrupts();
    PollEventLoop loop;
    CliRun run(loop);
    if (!rig || !command->every_camera) {
      const std::string interface_name = args.all || interfaces.empty() ? "" : interfaces[0];
      LinkOptions options(address, password_for(interface_name));
      options.interface_name = interface_name;
      CliLink link(run, options);
      CliContext context{args, link, out, err, StandardErrorIsTerminal() && !args.quiet,
                         password_for, ""};
      std::vector<Task<int>> tasks;
      tasks.push_back(command->run(context));
      run.RunAll(tasks);
      const int code = tasks[0].Result();
      out.flush();
      return code;
    }
    return RunOnRig(*command, args, address, interfaces, password_for, run, out, err);
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
