#include "options.h"

#include <arpa/inet.h>

#include <cstdlib>

#include "control_channel.h"
#include "faults.h"
#include "media_layouts.h"

namespace kivo::camsim {
namespace {

bool ParsePort(const std::string& text, uint16_t* port) {
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || v < 0 || v > 65535) return false;
  *port = static_cast<uint16_t>(v);
  return true;
}

constexpr long kMaxClockOffset = 3153600000;  // a century

bool ParseNumber(const std::string& text, long min, long max, long* value) {
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || v < min || v > max) return false;
  *value = v;
  return true;
}

// "photos=N videos=N video-size=300M" (K, M, G: binary units).
std::optional<std::string> ParseFill(const std::string& text, Options* o) {
  for (const std::string& word : SplitWords(text)) {
    const size_t eq = word.find('=');
    const std::string key = word.substr(0, eq);
    std::string value = eq == std::string::npos ? std::string() : word.substr(eq + 1);
    long number = 0;
    if (key == "video-size") {
      uint64_t scale = 1;
      if (!value.empty() && (value.back() == 'K' || value.back() == 'M' || value.back() == 'G')) {
        scale = value.back() == 'K' ? 1024 : value.back() == 'M' ? 1024 * 1024 : 1024 * 1024 * 1024;
        value.pop_back();
      }
      if (!ParseNumber(value, 1, 1L << 40, &number)) return "--fill-card: bad video-size";
      o->fill_video_bytes = static_cast<uint64_t>(number) * scale;
    } else if (key == "photos" || key == "videos") {
      if (!ParseNumber(value, 0, 9999, &number)) return "--fill-card: bad " + key;
      (key == "photos" ? o->fill_photos : o->fill_videos) = static_cast<int>(number);
    } else {
      return "--fill-card: unexpected '" + word + "'";
    }
  }
  return std::nullopt;
}

bool IsIpv4(const std::string& text) {
  in_addr a{};
  return inet_pton(AF_INET, text.c_str(), &a) == 1;
}

}  // namespace

bool ParseEndpoint(const std::string& text, Endpoint* endpoint) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos) return false;
  Endpoint e{text.substr(0, colon), 0};
  if (!IsIpv4(e.address) || !ParsePort(text.substr(colon + 1), &e.port)) return false;
  *endpoint = e;
  return true;
}

std::optional<std::string> ParseOptions(int argc, char** argv, Options* o) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      o->help = true;
      return std::nullopt;
    }
    if (arg == "--control") {
      if (i + 1 >= argc) return "--control needs ADDRESS:PORT";
      o->control_target = argv[++i];
      for (++i; i < argc; ++i) o->control_words.emplace_back(argv[i]);
      if (o->control_words.empty()) return "--control needs a command, e.g. 'fault silent'";
      return std::nullopt;
    }
    if (i + 1 >= argc) return "option " + arg + " needs a value (see --help)";
    const std::string value = argv[++i];
    long number = 0;
    if (arg == "--address") {
      if (!IsIpv4(value)) return "--address: not an IPv4 address: " + value;
      o->address = value;
    } else if (arg == "--port") {
      if (!ParsePort(value, &o->command_port)) return "--port: bad port " + value;
    } else if (arg == "--media-port") {
      if (!ParsePort(value, &o->media_port)) return "--media-port: bad port " + value;
    } else if (arg == "--service") {
      Endpoint e;
      if (!ParseEndpoint(value, &e)) return "--service wants ADDRESS:PORT, got " + value;
      o->service = e;
    } else if (arg == "--control-listen") {
      if (!ParseEndpoint(value, &o->control)) return "--control-listen wants ADDRESS:PORT";
    } else if (arg == "--password") {
      o->password = value;
    } else if (arg == "--service-version") {
      o->service_version = value;
    } else if (arg == "--reports") {
      o->reports_file = value;
    } else if (arg == "--log") {
      o->log_file = value;
    } else if (arg == "--ports-file") {
      o->ports_file = value;
    } else if (arg == "--model") {
      if (!ParseNumber(value, 0, 255, &number) || !FindModel(static_cast<int>(number))) {
        return "--model: one of 1, 2, 3, 4, 10, 11, 255, not " + value;
      }
      o->camera.model = static_cast<int>(number);
    } else if (arg == "--power") {
      if (value != "on" && value != "off") return "--power: on or off";
      o->camera.camera_on = value == "on";
    } else if (arg == "--boot-ms") {
      if (!ParseNumber(value, 0, 600000, &number)) return "--boot-ms: 0..600000";
      o->camera.boot_ms = static_cast<int>(number);
    } else if (arg == "--battery") {
      if (!ParseNumber(value, 0, 100, &number)) return "--battery: 0..100";
      o->camera.battery = static_cast<int>(number);
    } else if (arg == "--card") {
      if (value != "present" && value != "missing") return "--card: present or missing";
      o->camera.card_present = value == "present";
    } else if (arg == "--folder-files") {
      if (!ParseNumber(value, 1, 9999, &number)) return "--folder-files: 1..9999";
      o->camera.files_per_folder = static_cast<int>(number);
    } else if (arg == "--clock") {
      const auto t = ParseCivilTime(value);
      if (!t) return "--clock wants \"YYYY-MM-DD HH:MM:SS\", got " + value;
      o->camera.clock = *t;
    } else if (arg == "--listing") {
      if (!ParseListingStyle(value)) return "--listing: default, table or old";
      o->listing = value;
    } else if (arg == "--media-root") {
      if (!value.starts_with('/') || !value.ends_with('/')) return "--media-root: /PATH/";
      o->media_root = value;
    } else if (arg == "--fill-card") {
      if (auto error = ParseFill(value, o)) return *error;
    } else if (arg == "--clock-offset") {
      if (!ParseNumber(value, -kMaxClockOffset, kMaxClockOffset, &number))
        return "--clock-offset: seconds, -3153600000..3153600000";
      o->camera.clock_offset_s = number;
    } else if (arg == "--fault") {
      FaultSet probe;
      if (auto error = probe.Apply(SplitWords(value))) return "--fault: " + *error;
      o->faults.push_back(value);
    } else {
      return "unknown option " + arg + " (see --help)";
    }
  }
  return std::nullopt;
}

std::string HelpText() {
  std::string text =
      "kivo-camsim: a simulated GoPro HERO3 (with its Wi-Fi BacPac) for trying and testing Kivo\n"
      "without a camera, and a stand-in for the maker's web service.\n"
      "\n"
      "Usage: kivo-camsim [OPTIONS]\n"
      "       kivo-camsim --control ADDRESS:PORT COMMAND [WORDS...]\n"
      "\n"
      "The camera answers HTTP on ADDRESS:80 (status records and commands) and ADDRESS:8080 (media\n"
      "server). The default address 10.5.5.9 exists only inside the private network namespace that\n"
      "tests/e2e/netns_run.sh creates; for tests outside it use --address 127.0.0.1 with port 0.\n"
      "\n"
      "Camera:\n"
      "  --address ADDR          camera address (default 10.5.5.9)\n"
      "  --port N                command port (default 80; 0 picks a free port)\n"
      "  --media-port N          media server port (default 8080; 0 picks a free port)\n"
      "  --password TEXT         Wi-Fi password the camera expects as t= (default cameralnk)\n"
      "  --model CODE            1 HERO2, 2 HERO3 White, 3 HERO3 Silver, 4 HERO3 Black (default),\n"
      "                          10 HERO3+ Silver, 11 HERO3+ Black, 255 unknown model\n"
      "  --power on|off          camera power at start (default on; the BacPac is always on)\n"
      "  --boot-ms N             start-up time after switching on (default 0)\n"
      "  --battery PERCENT       camera battery (default: the model's recorded value)\n"
      "  --card present|missing  SD card (default present)\n"
      "  --folder-files N        files per folder before 101GOPRO, 102GOPRO... (default 999)\n"
      "  --clock \"YYYY-MM-DD HH:MM:SS\"  camera clock at start (default: the host's local time)\n"
      "  --fill-card \"photos=N videos=N video-size=300M\"  files on the card at start: photos\n"
      "                          with an Exif thumbnail, videos of that size (generated, served\n"
      "                          with byte ranges; default size 32M)\n"
      "  --listing default|table|old  directory-index layout: the default one, a table with\n"
      "                          icon, date and \"4.1M\" sizes, or an old one without dates and\n"
      "                          with absolute links\n"
      "  --media-root /PATH/     where the card's folders are served (default /videos/; later\n"
      "                          firmware /videos/DCIM/, earlier /DCIM/)\n"
      "  --clock-offset SECONDS  camera clock at start: the host's local time plus SECONDS (to the\n"
      "                          millisecond; negative: behind the host)\n"
      "\n"
      "Maker's web service:\n"
      "  --service ADDR:PORT     also serve /Kivo/KivoVersion.php5 and /Kivo/Errors.php5 there\n"
      "                          (for example 10.5.5.10:80)\n"
      "  --service-version TEXT  version the version check answers (default: Kivo's own, " +
      std::string(kivo::kProgramVersion) + ")\n"
      "  --reports FILE          append each problem report as V=..<TAB>C=..<TAB>msg=..\n"
      "\n"
      "Testing:\n"
      "  --log FILE              request log: one line per request, \"MS PORT METHOD TARGET\"\n"
      "                          (monotonic milliseconds to the microsecond, e.g. 81234.567, when\n"
      "                          the request arrived; local port; target exactly as received)\n"
      "  --ports-file FILE       write \"camera|media|service|control ADDR:PORT\" lines once listening\n"
      "  --control-listen ADDR:PORT  control port (default 127.0.0.1:0, a free port)\n"
      "  --fault \"NAME [MS] [SCOPE]\"  start with a fault; repeatable. SCOPE: camera (80 and\n"
      "                          8080, default), 80, 8080, service or all. NAME is one of:\n";
  text += FaultHelp();
  text +=
      "\n"
      "Control commands (one line to the control port, or via --control):\n";
  text += ControlChannel::Help();
  text +=
      "\n"
      "Once listening, one line per server is printed, e.g.\n"
      "  listening 127.0.0.1:41234 camera\n"
      "then the simulator runs until SIGINT, SIGTERM or the control command \"quit\".\n";
  return text;
}

}  // namespace kivo::camsim
