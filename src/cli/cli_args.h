// kivo-cli's command line: the options every command shares, the command word and its own
// arguments, the exit statuses and the usage text. Pure functions; any thread.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kivo {

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;       // the camera refused, did not follow, or a transfer failed
inline constexpr int kExitUsage = 2;
inline constexpr int kExitUnreachable = 3;  // the camera is not reachable
inline constexpr int kExitWrongPassword = 4;

// A failure that ends the program: one line for standard error and the exit status.
class CliError : public std::runtime_error {
 public:
  CliError(int exit_code, const std::string& message)
      : std::runtime_error(message), exit_code_(exit_code) {}
  int ExitCode() const { return exit_code_; }

 private:
  int exit_code_;
};

struct CliArgs {
  std::optional<std::string> address;
  std::optional<std::string> password;
  // --interface: that camera's adapter alone; "A,B,C": those cameras at once
  std::optional<std::string> interface_name;
  bool all = false;  // --all: every camera in the camera network at once
  bool json = false;
  bool quiet = false;
  bool help = false;
  bool version = false;
  std::string command;
  std::vector<std::string> args;  // after the command word, global options taken out
};

// The shared options may stand before or after the command word; "--" ends them. "--all" after
// "get" is get's own (every file) unless "--new" stands there too; before the word it is always
// every camera. Throws CliError(kExitUsage) for an unknown shared option or one that lacks its
// value.
CliArgs ParseCliArgs(const std::vector<std::string>& argv);

// Takes "--NAME VALUE" or "--NAME=VALUE" out of |args|; nullopt when absent. Throws
// CliError(kExitUsage) when the value is missing.
std::optional<std::string> TakeOption(std::vector<std::string>& args, const std::string& name);
// Takes the flag "--NAME" out of |args|; whether it was there.
bool TakeFlag(std::vector<std::string>& args, const std::string& name);
// Throws CliError(kExitUsage) naming the first argument that still starts with "--".
void RejectUnknownOptions(const std::vector<std::string>& args);

std::string UsageText();

}  // namespace kivo
