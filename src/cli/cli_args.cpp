#include "cli/cli_args.h"

#include <algorithm>

namespace kivo {
namespace {

constexpr char kUsage[] =
    "Usage: kivo-cli [--address ADDR] [--password TEXT] [--interface NAME[,NAME...] | --all]\n"
    "                [--json] [--quiet] COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  status                     the camera's status and every current setting\n"
    "  watch [--interval S]       status again every S seconds (default 5) until interrupted\n"
    "  power on|off               switch the camera on or off\n"
    "  record start|stop          start or stop recording (in photo modes: take the picture)\n"
    "  mode video|photo|burst|timelapse|countdown\n"
    "  locate on|off              the camera beeps and blinks so it can be found\n"
    "  set NAME VALUE             change a setting; set --list shows every NAME and value\n"
    "  clock [show|local|utc|\"yy.mm.dd hh.mm.ss\"]\n"
    "  ls [FOLDER]                every file on the card, newest first\n"
    "  get FILE... | get --new | get --all   [--to DIR]\n"
    "  delete-last | delete-all --yes\n"
    "  preview [--player PATH]    print the live stream's URL, or start the player on it\n"
    "  cameras                    every adapter into the camera network, with its camera\n"
    "\n"
    "--interface NAME sends everything through that network interface only (with several\n"
    "cameras, one Wi-Fi adapter each); on Windows NAME may be the adapter's name or index.\n"
    "--all (or --interface A,B,C) runs a command on every camera at once, each line marked\n"
    "with its interface; get puts each camera's files into DIR/INTERFACE. Alone after get,\n"
    "--all means every file: kivo-cli --all get --all takes every file of every camera.\n"
    "Defaults for --address and --password come from Kivo.ini, which is only read; its\n"
    "[Cameras] rows (interface or Wi-Fi network name = password) give each camera its own.\n"
    "Exit status: 0 done; 1 the camera refused or a transfer failed; 2 usage;\n"
    "3 the camera is not reachable; 4 wrong password; 130/143 interrupted.\n";

// Shared options that take a value, and the flags.
struct ValueOption {
  const char* name;
  std::optional<std::string> CliArgs::*field;
};
constexpr ValueOption kValueOptions[] = {{"--address", &CliArgs::address},
                                         {"--password", &CliArgs::password},
                                         {"--interface", &CliArgs::interface_name}};
struct FlagOption {
  const char* name;
  bool CliArgs::*field;
};
constexpr FlagOption kFlagOptions[] = {{"--json", &CliArgs::json},
                                       {"--quiet", &CliArgs::quiet},
                                       {"-q", &CliArgs::quiet},
                                       {"--help", &CliArgs::help},
                                       {"-h", &CliArgs::help},
                                       {"--version", &CliArgs::version}};

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

CliArgs ParseCliArgs(const std::vector<std::string>& argv) {
  CliArgs out;
  bool options_ended = false;
  for (std::size_t i = 0; i < argv.size(); ++i) {
    const std::string& a = argv[i];
    bool taken = false;
    if (!options_ended) {
      if (a == "--") {
        options_ended = true;
        continue;
      }
      for (const ValueOption& o : kValueOptions) {
        const std::string name = o.name;
        if (a == name) {
          if (i + 1 >= argv.size()) throw CliError(kExitUsage, name + " needs a value");
          out.*o.field = argv[++i];
          taken = true;
        } else if (StartsWith(a, name + "=")) {
          out.*o.field = a.substr(name.size() + 1);
          taken = true;
        }
      }
      for (const FlagOption& f : kFlagOptions) {
        if (a == f.name) {
          out.*f.field = true;
          taken = true;
        }
      }
      if (a == "--all" && (out.command.empty() || out.command != "get")) {
        out.all = true;
        taken = true;
      }
      if (!taken && out.command.empty() && StartsWith(a, "-"))
        throw CliError(kExitUsage, "unknown option " + a);
    }
    if (taken) continue;
    if (out.command.empty()) {
      out.command = a;
    } else {
      out.args.push_back(a);
    }
  }
  // "get --new --all": new files can only be meant of every camera.
  if (out.command == "get" && std::count(out.args.begin(), out.args.end(), "--new") > 0 &&
      std::count(out.args.begin(), out.args.end(), "--all") > 0) {
    out.args.erase(std::find(out.args.begin(), out.args.end(), "--all"));
    out.all = true;
  }
  return out;
}

std::optional<std::string> TakeOption(std::vector<std::string>& args, const std::string& name) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == name) {
      if (i + 1 >= args.size()) throw CliError(kExitUsage, name + " needs a value");
      std::string value = args[i + 1];
      args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
      return value;
    }
    if (StartsWith(args[i], name + "=")) {
      std::string value = args[i].substr(name.size() + 1);
      args.erase(args.begin() + static_cast<long>(i));
      return value;
    }
  }
  return std::nullopt;
}

bool TakeFlag(std::vector<std::string>& args, const std::string& name) {
  auto it = std::find(args.begin(), args.end(), name);
  if (it == args.end()) return false;
  args.erase(it);
  return true;
}

void RejectUnknownOptions(const std::vector<std::string>& args) {
  for (const std::string& a : args)
    if (StartsWith(a, "--")) throw CliError(kExitUsage, "unknown option " + a);
}

std::string UsageText() { return kUsage; }

}  // namespace kivo
