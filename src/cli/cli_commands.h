// kivo-cli's commands: one runner per command word, each reading its own arguments from the
// context and returning the exit status (or throwing CliError). Loop thread only.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_args.h"
#include "cli/cli_link.h"
#include "cli/cli_task.h"
#include "platform/net_interfaces.h"

namespace kivo {

struct CliContext {
  CliArgs& args;
  CliLink& link;
  std::ostream& out;
  std::ostream& err;
  bool progress_on_terminal = false;  // standard error is a terminal and --quiet is off
  // The password for the camera behind an interface ("" = the one camera).
  std::function<std::string(const std::string& interface_name)> password_for;
  // In a rig: the folder under get's --to that holds this camera's files ("" for one camera).
  std::string subfolder;
};

// Said (exit 3) for --interface NAME when the system has no such interface.
inline constexpr char kNoInterfaceNamed[] = "No network interface named ";

using CommandRunner = Task<int> (*)(CliContext&);

struct CliCommand {
  const char* name;
  CommandRunner run;
  bool every_camera;  // runs on every camera of a rig at once (--all, --interface A,B)
};

// status.cpp
Task<int> RunStatus(CliContext& c);
Task<int> RunWatch(CliContext& c);
// The snapshot as one JSON object, and as lines for people.
std::string StatusJson(const CameraSnapshot& s, const std::string& address);
std::string StatusText(const CameraSnapshot& s);

// control.cpp
Task<int> RunPower(CliContext& c);
Task<int> RunRecord(CliContext& c);
Task<int> RunMode(CliContext& c);
Task<int> RunLocate(CliContext& c);
Task<int> RunSet(CliContext& c);
Task<int> RunClock(CliContext& c);
Task<int> RunDeleteLast(CliContext& c);
Task<int> RunDeleteAll(CliContext& c);
Task<int> RunPreview(CliContext& c);

// media.cpp
Task<int> RunLs(CliContext& c);
Task<int> RunGet(CliContext& c);

// cameras.cpp
Task<int> RunCameras(CliContext& c);
// Every interface with an address in the camera network of |address|; throws CliError when there
// is none (kExitUnreachable) or they cannot be listed.
std::vector<NetInterface> CameraInterfaces(const std::string& address);

// Words for shell completion (no camera involved): the commands; a command's words; a setting's
// values.
std::vector<std::string> CompletionWords(const std::vector<std::string>& words);

}  // namespace kivo
