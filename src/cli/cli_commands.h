// kivo-cli's commands: one runner per command word, each reading its own arguments from the
// context and returning the exit status (or throwing CliError). Loop thread only.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/sync_link.h"
#include "cli/cli_args.h"

namespace kivo {

struct CliContext {
  CliArgs& args;
  SyncLink& link;
  std::ostream& out;
  std::ostream& err;
  bool progress_on_terminal = false;  // standard error is a terminal and --quiet is off
  // The password for the camera behind an interface ("" = the one camera).
  std::function<std::string(const std::string& interface_name)> password_for;
};

// Said (exit 3) for --interface NAME when the system has no such interface.
inline constexpr char kNoInterfaceNamed[] = "No network interface named ";

using CommandRunner = int (*)(CliContext&);

struct CliCommand {
  const char* name;
  CommandRunner run;
};

// status.cpp
int RunStatus(CliContext& c);
int RunWatch(CliContext& c);
// The snapshot as one JSON object, and as lines for people.
std::string StatusJson(const CameraSnapshot& s, const std::string& address);
std::string StatusText(const CameraSnapshot& s);

// control.cpp
int RunPower(CliContext& c);
int RunRecord(CliContext& c);
int RunMode(CliContext& c);
int RunLocate(CliContext& c);
int RunSet(CliContext& c);
int RunClock(CliContext& c);
int RunDeleteLast(CliContext& c);
int RunDeleteAll(CliContext& c);
int RunPreview(CliContext& c);

// media.cpp
int RunLs(CliContext& c);
int RunGet(CliContext& c);

// cameras.cpp
int RunCameras(CliContext& c);

// Words for shell completion (no camera involved): the commands; a command's words; a setting's
// values.
std::vector<std::string> CompletionWords(const std::vector<std::string>& words);

}  // namespace kivo
