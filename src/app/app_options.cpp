#include "app/app_options.h"

#include <cstdlib>

#include "kivo_version.h"

namespace kivo {

void PrintUsage(std::FILE* out, const UsageText& usage) {
  std::fprintf(out,
               "Usage: %s [--screenshot FILE.%s] [--screenshot-delay MS] [--quit-after MS]\n"
               "            %s[--network-status] [--browse] [--cameras]\n"
               "  Remote control for a HERO3 / HERO3+ camera (or a HERO2 with its Wi-Fi BacPac).\n"
               "  Join the camera's Wi-Fi network first; settings are kept in Kivo.ini beside the\n"
               "  program, or in %s.\n"
               "  --help, --version      print this text, or the version, and exit\n"
               "  --screenshot FILE      save a picture of the window after --screenshot-delay ms\n"
               "%s"
               "  --quit-after MS        close the window (saving the settings) after MS ms\n"
               "  --network-status       also show the Network Status window (background requests)\n"
               "  --browse               also open SD Card > Browse and Download at start\n"
               "  --cameras              also open Options > Cameras (a rig of cameras) at start\n"
               "%s"
               "  Environment: KIVO_WEB_HOST sets the host of the maker's web site.\n",
               usage.program, usage.picture, usage.synopsis, usage.settings_folder,
               usage.screenshot_note, usage.options);
}

ParseResult ParseAppOptions(const std::vector<std::string>& args, const UsageText& usage,
                            const PlatformOption& platform_option, AppOptions& options,
                            std::FILE* out) {
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool has_value = i + 1 < args.size();
    if (arg == "--help" || arg == "-h") {
      PrintUsage(out, usage);
      return ParseResult::kExit;
    }
    if (arg == "--version") {
      std::fprintf(out, "Kivo version %s\n", kProgramVersion);
      return ParseResult::kExit;
    }
    int taken = 1;  // arguments this option took; 0: unknown, -1: wrongly given
    if (arg == "--screenshot") {
      taken = has_value ? 2 : -1;
      if (has_value) options.screenshot = args[i + 1];
    } else if (arg == "--screenshot-delay" || arg == "--quit-after") {
      taken = has_value ? 2 : -1;
      if (has_value)
        (arg == "--quit-after" ? options.quit_after : options.screenshot_delay) =
            std::atoi(args[i + 1].c_str());
    } else if (arg == "--network-status") {
      options.network_status = true;
    } else if (arg == "--browse") {
      options.browse = true;
    } else if (arg == "--cameras") {
      options.cameras = true;
    } else {
      taken = platform_option ? platform_option(args, i) : 0;
    }
    if (taken <= 0) {
      std::fprintf(stderr,
                   taken == 0 ? "kivo: unknown option %s\n" : "kivo: %s: missing or wrong value\n",
                   arg.c_str());
      return ParseResult::kBadUsage;
    }
    i += static_cast<size_t>(taken) - 1;
  }
  return ParseResult::kRun;
}

std::optional<int> ExitStatusBeforeRun(ParseResult result, const UsageText& usage) {
  switch (result) {
    case ParseResult::kExit:
      return 0;
    case ParseResult::kBadUsage:
      PrintUsage(stderr, usage);
      return 2;
    case ParseResult::kRun:
      break;
  }
  return std::nullopt;
}

}  // namespace kivo
