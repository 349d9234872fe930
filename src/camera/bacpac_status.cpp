#include "camera/bacpac_status.h"

#include <algorithm>
#include <array>

namespace kivo {
namespace {

// Record layout, 0-based.
constexpr int kWiFiBatteryByte = 1;
constexpr int kRecordingByte = 5;
constexpr int kReadinessByte = 8;
constexpr int kPowerByte = 9;
constexpr int kModelByte = 12;
constexpr int kConnectionByte = 14;
constexpr int kFirstPrintable = 32;

// Codes of byte 8 that let the user shoot or preview, and those that forbid it.
constexpr std::array<int, 3> kReadyCodes{1, 34, 82};
constexpr std::array<int, 5> kBusyCodes{0, 2, 32, 33, 80};
constexpr std::array<int, 7> kKnownModels{kModelHero2,          kModelHero3White,
                                          kModelHero3Silver,    kModelHero3Black,
                                          kModelHero3PlusSilver, kModelHero3PlusBlack,
                                          kModelUnnamedCamera};

bool Contains(const auto& codes, int value) {
  return std::find(codes.begin(), codes.end(), value) != codes.end();
}

}  // namespace

BacPacStatus DecodeBacPacStatus(std::span<const std::uint8_t> reply) {
  BacPacStatus s;
  auto& r = s.raw;
  std::copy_n(reply.begin(), std::min(reply.size(), r.size()), r.begin());
  s.password_refused = r[0] == '4' && r[1] == '0' && r[2] == '3';
  s.power_code = r[kPowerByte];
  s.power = s.power_code == 0   ? CameraPower::kOff
            : s.power_code == 1 ? CameraPower::kOn
                                : CameraPower::kUnknown;
  s.text_reply = s.power_code >= kFirstPrintable;
  s.readiness_code = r[kReadinessByte];
  s.readiness = Contains(kReadyCodes, s.readiness_code)  ? Readiness::kReady
                : Contains(kBusyCodes, s.readiness_code) ? Readiness::kBusy
                                                         : Readiness::kUnknown;
  s.model_code = r[kModelByte];
  s.model_known = Contains(kKnownModels, s.model_code);
  if (s.model_code == kModelHero2) s.wifi_battery = r[kWiFiBatteryByte];
  s.connection_code = r[kConnectionByte];
  s.power_switchable = (s.connection_code & 0x01) != 0;
  s.recording = r[kRecordingByte] != 0;
  return s;
}

}  // namespace kivo
