// The window program's command line, the same on every platform: the options every kivo
// accepts, and its usage text with the lines only one platform has. Plain functions, any thread.
#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kivo {

struct AppOptions {
  std::string screenshot;       // write a picture of the window here ...
  int screenshot_delay = 8000;  // ... this many milliseconds after start
  int quit_after = 0;           // close the window after this many milliseconds (0: never)
  bool network_status = false;  // show the Network Status window too
  bool browse = false;          // open SD Card > Browse and Download at start
  bool cameras = false;         // open Options > Cameras at start
};

// What differs in the usage text between the platforms.
struct UsageText {
  const char* program;          // "kivo", "kivo.exe"
  const char* picture;          // the screenshot's file type: "png", "bmp"
  const char* synopsis;         // the platform's own options in the synopsis, or ""
  const char* settings_folder;  // where the settings go when not beside the program
  const char* screenshot_note;  // more about --screenshot, or ""
  const char* options;          // the platform's own options, one line each, or ""
};

void PrintUsage(std::FILE* out, const UsageText& usage);

enum class ParseResult { kRun, kExit, kBadUsage };

// A platform's own option at args[i]: returns how many arguments it took (0: not one of its
// options; -1: its option, wrongly given).
using PlatformOption = std::function<int(const std::vector<std::string>& args, size_t i)>;

// Reads |args| (args[0] is the program) into |options|, asking |platform_option| about every
// argument that is no common option. --help prints the usage and --version the version on
// |out| (kExit); an unknown or wrongly given option is said on standard error (kBadUsage: the
// caller prints the usage there and ends with status 2).
ParseResult ParseAppOptions(const std::vector<std::string>& args, const UsageText& usage,
                            const PlatformOption& platform_option, AppOptions& options,
                            std::FILE* out = stdout);

// The exit status when |result| ends the program before it runs: 0 after --help or --version,
// 2 after a usage error (the usage then printed on standard error); nullopt for kRun.
std::optional<int> ExitStatusBeforeRun(ParseResult result, const UsageText& usage);

}  // namespace kivo
