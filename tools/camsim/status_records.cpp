#include "status_records.h"

#include <algorithm>
#include <cstdio>

namespace kivo::camsim {
namespace {

void Put16(uint8_t* at, int value) {
  at[0] = static_cast<uint8_t>(value >> 8);
  at[1] = static_cast<uint8_t>(value & 0xff);
}

template <size_t N>
void ApplyPokes(std::array<uint8_t, N>& record, const std::map<int, uint8_t>& pokes) {
  for (const auto& [index, value] : pokes) {
    if (index >= 0 && static_cast<size_t>(index) < N) record[index] = value;
  }
}

// The battery byte on the model's own scale; rounding up makes it read back as the same percent.
uint8_t BatteryByte(const CameraState& state) {
  const int full = state.model().battery_full;
  int raw = (std::clamp(state.battery_percent(), 0, 100) * full + 99) / 100;
  // While charging the camera sets the top bit, which puts the value above 100.
  if (state.charging()) raw |= 0x80;
  return static_cast<uint8_t>(raw);
}

}  // namespace

BacPacRecord EncodeBacPacRecord(const CameraState& state) {
  const ModelProfile& model = state.model();
  BacPacRecord r = model.bacpac;
  r[1] = static_cast<uint8_t>(std::clamp(state.wifi_battery(), 0, 255));
  r[5] = state.busy() ? 1 : 0;
  r[8] = state.booting() ? model.ready_booting
                         : state.camera_on() ? model.ready_on : model.ready_off;
  r[9] = state.camera_on() ? 1 : 0;
  ApplyPokes(r, state.bacpac_pokes());
  return r;
}

CameraRecord EncodeCameraRecord(const CameraState& state) {
  const CameraSettings& s = state.settings();
  CameraRecord r = state.model().camera;
  r[1] = s.mode;
  r[3] = s.default_mode;
  r[4] = s.spot_meter;
  r[5] = s.timelapse;
  r[6] = s.auto_off;
  r[7] = s.fov;
  r[8] = s.photo_res;
  r[9] = s.video_mode;
  // Running time of the capture in progress, minutes and seconds.
  const int64_t elapsed_s = state.capture_elapsed_ms() / 1000;
  r[13] = static_cast<uint8_t>(std::min<int64_t>(elapsed_s / 60, 255));
  r[14] = static_cast<uint8_t>(elapsed_s % 60);
  r[16] = s.beep;
  r[17] = s.leds;
  r[18] = static_cast<uint8_t>((s.streaming ? 0x01 : 0) | (s.orientation_up ? 0x04 : 0) |
                               (s.one_button ? 0x08 : 0) | (s.osd ? 0x10 : 0) |
                               (s.pal ? 0x20 : 0) | (s.locate ? 0x40 : 0) | s.other_flags);
  r[19] = BatteryByte(state);
  const MediaCard& card = state.card();
  Put16(&r[21], state.PhotosAvailable());
  Put16(&r[23], std::min(card.PhotoCount(), 0xffff));
  if (card.present()) {
    Put16(&r[25], state.VideoMinutesAvailable());
  } else {
    r[25] = 0xff;
    r[26] = 0;
  }
  r[28] = static_cast<uint8_t>(std::min(card.VideoCount(), 255));
  ApplyPokes(r, state.camera_pokes());
  return r;
}

std::string HexBytes(const uint8_t* data, size_t size) {
  std::string out;
  char byte[4];
  for (size_t i = 0; i < size; ++i) {
    std::snprintf(byte, sizeof byte, i == 0 ? "%02x" : " %02x", data[i]);
    out += byte;
  }
  return out;
}

}  // namespace kivo::camsim
