#include "control_channel.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "command_table.h"
#include "status_records.h"

namespace kivo::camsim {
namespace {

constexpr std::string_view kHelp =
    "    ping                          answer \"ok pong\"\n"
    "    fault NAME [MS] [SCOPE]       switch a fault (see --fault); \"fault none\" clears\n"
    "    faults                        show the faults in force\n"
    "    unplug | plug                 take the camera's address off the network, or back\n"
    "    state                         one line of the camera's state\n"
    "    record bacpac|camera          the current status record in hex\n"
    "    poke bacpac|camera BYTE VALUE force a record byte (VALUE decimal or 0x..)\n"
    "    unpoke                        drop every forced byte\n"
    "    set power on|off              switch the camera as the ON/OFF button does\n"
    "    set battery PERCENT | set charging 0|1 | set wifi-battery PERCENT\n"
    "    set card present|missing | set free BYTES\n"
    "    set clock \"YYYY-MM-DD HH:MM:SS\" | set clock-offset SECONDS (from the host's clock)\n"
    "    set password TEXT (%XX for a byte, %20 a blank) | set version TEXT\n"
    "    reports                       number of problem reports received\n"
    "    quit                          stop the simulator\n";

bool ParseInt(const std::string& text, long min, long max, long* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 0);
  if (*end != '\0' || v < min || v > max) return false;
  *value = v;
  return true;
}

}  // namespace

std::vector<std::string> SplitWords(std::string_view line) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false;
  bool quoted = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      in_word = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (in_word) words.push_back(word);
      word.clear();
      in_word = false;
    } else {
      word.push_back(c);
      in_word = true;
    }
  }
  if (in_word) words.push_back(word);
  return words;
}

std::string ControlChannel::Help() { return std::string(kHelp); }

std::string ControlChannel::Execute(std::string_view line) {
  const std::vector<std::string> words = SplitWords(line);
  if (words.empty()) return "error empty command";
  const std::string& verb = words[0];
  if (verb == "ping") return "ok pong";
  if (verb == "fault") return Fault({words.begin() + 1, words.end()});
  if (verb == "unplug") return Fault({"unplugged"});
  if (verb == "plug") {
    faults_.set_unplugged(false);
    const std::string error = hooks_.apply_faults();
    return error.empty() ? "ok " + faults_.Describe() : "error " + error;
  }
  if (verb == "faults") return "ok " + faults_.Describe();
  if (verb == "state") return State();
  if (verb == "record" && words.size() == 2) {
    state_.Advance();
    if (words[1] == "bacpac") {
      const BacPacRecord r = EncodeBacPacRecord(state_);
      return "ok " + HexBytes(r.data(), r.size());
    }
    if (words[1] == "camera") {
      const CameraRecord r = EncodeCameraRecord(state_);
      return "ok " + HexBytes(r.data(), r.size());
    }
  }
  if (verb == "poke") return Poke(words);
  if (verb == "unpoke") {
    state_.bacpac_pokes().clear();
    state_.camera_pokes().clear();
    return "ok";
  }
  if (verb == "set") return Set(words);
  if (verb == "reports") return "ok " + std::to_string(service_.reports().size());
  if (verb == "quit") {
    hooks_.quit();
    return "ok bye";
  }
  return "error unknown command '" + std::string(line) + "'";
}

std::string ControlChannel::Fault(const std::vector<std::string>& words) {
  if (auto error = faults_.Apply(words)) return "error " + *error;
  const std::string error = hooks_.apply_faults();
  return error.empty() ? "ok " + faults_.Describe() : "error " + error;
}

std::string ControlChannel::Poke(const std::vector<std::string>& words) {
  long index = 0;
  long value = 0;
  const bool bacpac = words.size() == 4 && words[1] == "bacpac";
  const bool camera = words.size() == 4 && words[1] == "camera";
  const long last = bacpac ? kBacPacRecordSize - 1 : kCameraRecordSize - 1;
  if ((!bacpac && !camera) || !ParseInt(words[2], 0, last, &index) ||
      !ParseInt(words[3], 0, 255, &value)) {
    return "error usage: poke bacpac|camera BYTE VALUE";
  }
  (bacpac ? state_.bacpac_pokes() : state_.camera_pokes())[static_cast<int>(index)] =
      static_cast<uint8_t>(value);
  return "ok";
}

std::string ControlChannel::Set(const std::vector<std::string>& words) {
  if (words.size() != 3) return "error usage: set NAME VALUE";
  const std::string& name = words[1];
  const std::string& value = words[2];
  long number = 0;
  if (name == "power" && (value == "on" || value == "off")) {
    state_.SetPower(value == "on");
  } else if (name == "battery" && ParseInt(value, 0, 100, &number)) {
    state_.set_battery_percent(static_cast<int>(number));
  } else if (name == "charging" && ParseInt(value, 0, 1, &number)) {
    state_.set_charging(number == 1);
  } else if (name == "wifi-battery" && ParseInt(value, 0, 255, &number)) {
    state_.set_wifi_battery(static_cast<int>(number));
  } else if (name == "card" && (value == "present" || value == "missing")) {
    state_.card().set_present(value == "present");
  } else if (name == "free" && ParseInt(value, 0, 0x7fffffffffffffffL, &number)) {
    state_.card().set_free_bytes(static_cast<uint64_t>(number));
  } else if (name == "clock" && ParseCivilTime(value)) {
    state_.clock().Set(*ParseCivilTime(value));
  } else if (name == "clock-offset" && ParseInt(value, -3153600000L, 3153600000L, &number)) {
    state_.clock().SetFromHost(number * 1000);
  } else if (name == "password") {
    routes_.set_password(PercentDecode(value));
  } else if (name == "version") {
    service_.set_latest_version(value);
  } else {
    return "error cannot set " + name + " to '" + value + "'";
  }
  return "ok";
}

std::string ControlChannel::State() {
  state_.Advance();
  const CameraSettings& s = state_.settings();
  static constexpr const char* kCaptures[] = {"none", "video", "timelapse", "countdown"};
  std::string out = "ok power=";
  out += state_.booting() ? "booting" : state_.camera_on() ? "on" : "off";
  out += " mode=" + std::to_string(s.mode);
  out += " capture=" + std::string(kCaptures[static_cast<int>(state_.capture())]);
  out += " streaming=" + std::to_string(s.streaming ? 1 : 0);
  out += " photos=" + std::to_string(state_.card().PhotoCount());
  out += " videos=" + std::to_string(state_.card().VideoCount());
  out += " files=" + std::to_string(state_.card().files().size());
  out += " battery=" + std::to_string(state_.battery_percent());
  out += " clock=" + FormatIsoDate(state_.clock().Now()).replace(10, 1, "T");
  out += " name=\"" + state_.name() + "\"";
  out += " reports=" + std::to_string(service_.reports().size());
  return out;
}

int RunControlClient(const std::string& address_port, const std::vector<std::string>& words) {
  const size_t colon = address_port.rfind(':');
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  long port = 0;
  if (colon == std::string::npos || !ParseInt(address_port.substr(colon + 1), 1, 65535, &port) ||
      inet_pton(AF_INET, address_port.substr(0, colon).c_str(), &sa.sin_addr) != 1) {
    std::fprintf(stderr, "kivo-camsim: --control wants ADDRESS:PORT, got '%s'\n",
                 address_port.c_str());
    return 2;
  }
  sa.sin_port = htons(static_cast<uint16_t>(port));
  std::string line;
  for (const std::string& w : words) {
    if (!line.empty()) line += " ";
    line += w.find(' ') != std::string::npos ? "\"" + w + "\"" : w;
  }
  line += "\n";
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
    std::perror("kivo-camsim: cannot reach the control port");
    if (fd >= 0) close(fd);
    return 2;
  }
  [[maybe_unused]] ssize_t sent = send(fd, line.data(), line.size(), MSG_NOSIGNAL);
  std::string reply;
  char buffer[1024];
  pollfd p{fd, POLLIN, 0};
  while (poll(&p, 1, 5000) > 0) {
    const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    reply.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  std::fputs(reply.c_str(), stdout);
  return reply.starts_with("ok") ? 0 : 1;
}

}  // namespace kivo::camsim
