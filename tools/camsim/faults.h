// The misbehaviours the simulated camera can be told to show, per server (command port, media
// port, maker's service), plus "unplugged" for the camera's address as a whole. Parsed from the
// same words on the command line and on the control channel. Loop thread only.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kivo::camsim {

// Which server a connection belongs to.
enum class Role { kCommand, kMedia, kService, kControl };
inline constexpr int kServedRoles = 3;  // roles that can carry a fault

enum class FaultMode {
  kNone,
  kSilent,         // accept, read the request, never answer
  kDelay,          // answer after delay_ms
  kReset,          // read the request, then reset the connection
  kRefuse,         // stop listening: connections are refused
  kGarbage,        // answer with bytes that are not HTTP
  kShortRecord,    // status records cut short
  kTextRecord,     // status records replaced by a text page
  kNoBody,         // replies carry headers only (Content-Length: 0)
  kWrongPassword,  // every password is refused
  kFlaky,          // the link drops (close or reset) every N megabytes sent
  kHostileMedia,   // listing and photos built to lead a client out of its folder
};

struct Fault {
  FaultMode mode = FaultMode::kNone;
  int delay_ms = 0;  // "delay": milliseconds; "flaky": megabytes between drops
};

inline constexpr int kDefaultFlakyMegabytes = 8;
inline uint64_t FlakyEveryBytes(const Fault& fault) {
  return static_cast<uint64_t>(fault.delay_ms > 0 ? fault.delay_ms : kDefaultFlakyMegabytes) *
         1024 * 1024;
}

class FaultSet {
 public:
  static constexpr int kDefaultDelayMs = 3000;

  Fault& For(Role role) { return faults_[static_cast<int>(role)]; }
  const Fault& For(Role role) const { return faults_[static_cast<int>(role)]; }
  bool unplugged() const { return unplugged_; }
  void set_unplugged(bool unplugged) { unplugged_ = unplugged; }

  // Applies "MODE [MS] [SCOPE]": MODE is a fault name, "unplugged" or "none"; SCOPE is "camera"
  // (ports 80 and 8080, the default), "80", "8080", "service" or "all". Returns an error text.
  std::optional<std::string> Apply(const std::vector<std::string>& words);
  // "80=none 8080=silent service=none unplugged=no".
  std::string Describe() const;

 private:
  std::array<Fault, kServedRoles> faults_{};
  bool unplugged_ = false;
};

std::string_view FaultName(FaultMode mode);
std::optional<FaultMode> ParseFaultName(std::string_view name);
// Every fault name with a one-line description, for --help.
std::string FaultHelp();

}  // namespace kivo::camsim
