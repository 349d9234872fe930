// Everything a HERO3 remembers: BacPac and camera power, capture mode and every setting of the
// camera status record, the capture in progress, battery, camera name, its clock and its SD card.
// Time-driven behaviour (start-up, time-lapse shots, the count-down) moves on in Advance().
// Single-threaded: used from the simulator's loop thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "camera_clock.h"
#include "camera_model.h"
#include "media_card.h"

namespace kivo::camsim {

// The settings the camera status record carries, by the values the record uses.
struct CameraSettings {
  uint8_t mode = 0;          // 0 video, 1 photo, 2 burst, 3 time lapse, 4 count-down
  uint8_t default_mode = 0;  // mode after power-on, 0..3
  uint8_t spot_meter = 0;
  uint8_t timelapse = 0;     // interval in seconds; 0 means half a second
  uint8_t auto_off = 0;
  uint8_t fov = 0;
  uint8_t photo_res = 0;
  uint8_t video_mode = 0;    // 7..11 are the Protune modes
  uint8_t beep = 0;
  uint8_t leds = 0;
  bool streaming = false;
  bool orientation_up = false;
  bool one_button = false;
  bool osd = false;
  bool pal = false;
  bool locate = false;
  uint8_t other_flags = 0;   // flag bits the camera reports but nobody sets (1 and 7)
};

struct CameraConfig {
  int model = 4;
  bool camera_on = true;
  int boot_ms = 0;                    // start-up time after power-on
  int files_per_folder = 999;
  bool card_present = true;
  std::optional<int> battery;         // percent; the model's recorded value when unset
  std::optional<CivilTime> clock;     // the host's local time when unset
  std::optional<int64_t> clock_offset_s;  // else: the host's local time plus this
};

enum class CaptureKind { kNone, kVideo, kTimeLapse, kCountdown };

class CameraState {
 public:
  static constexpr int kBurstPhotos = 10;
  static constexpr int kCountdownMs = 3000;
  static constexpr uint64_t kVideoBytesPerMinute = 121'600'000;  // about 16 Mbit/s

  CameraState(const ModelProfile& model, const CameraConfig& config,
              std::function<int64_t()> monotonic_ms);

  const ModelProfile& model() const { return *model_; }
  int64_t now_ms() const { return monotonic_ms_(); }

  // Lets time-driven behaviour catch up with now. Cheap; call before reading the state.
  void Advance();

  bool bacpac_on() const { return true; }
  bool camera_on() const { return camera_on_ && !booting(); }
  bool booting() const { return camera_on_ && now_ms() < boot_done_ms_; }
  void SetPower(bool on);

  CameraSettings& settings() { return settings_; }
  const CameraSettings& settings() const { return settings_; }

  // Shutter: starts a capture in the current mode (or takes the photos at once); false when the
  // camera cannot (off, already busy, card missing or full).
  bool Shutter();
  // Ends a video, time lapse or count-down. A video is saved to the card.
  void StopCapture();
  CaptureKind capture() const { return capture_; }
  bool busy() const { return capture_ != CaptureKind::kNone; }
  int64_t capture_elapsed_ms() const { return busy() ? now_ms() - capture_started_ms_ : 0; }

  int battery_percent() const { return battery_percent_; }
  void set_battery_percent(int percent) { battery_percent_ = percent; }
  bool charging() const { return charging_; }
  void set_charging(bool charging) { charging_ = charging; }
  int wifi_battery() const { return wifi_battery_; }
  void set_wifi_battery(int percent) { wifi_battery_ = percent; }
  const std::string& name() const { return name_; }
  void set_name(std::string name) { name_ = std::move(name); }

  CameraClock& clock() { return clock_; }
  // Off: the set-clock command is answered as done but the clock keeps its time.
  bool clock_settable() const { return clock_settable_; }
  void set_clock_settable(bool settable) { clock_settable_ = settable; }
  const CameraClock& clock() const { return clock_; }
  MediaCard& card() { return *card_; }
  const MediaCard& card() const { return *card_; }

  // Card space a photo takes at the current resolution.
  uint64_t PhotoBytes() const;
  int PhotosAvailable() const;
  int VideoMinutesAvailable() const;

  // Raw overrides of record bytes, for exercising the program's handling of odd values.
  std::map<int, uint8_t>& bacpac_pokes() { return bacpac_pokes_; }
  std::map<int, uint8_t>& camera_pokes() { return camera_pokes_; }
  const std::map<int, uint8_t>& bacpac_pokes() const { return bacpac_pokes_; }
  const std::map<int, uint8_t>& camera_pokes() const { return camera_pokes_; }

 private:
  void TakeTimeLapseShot();
  uint64_t RecordedVideoBytes() const;

  const ModelProfile* model_;
  std::function<int64_t()> monotonic_ms_;
  int boot_ms_;
  bool camera_on_;
  int64_t boot_done_ms_ = 0;
  CameraSettings settings_;
  CaptureKind capture_ = CaptureKind::kNone;
  int64_t capture_started_ms_ = 0;
  int64_t next_shot_ms_ = 0;
  int group_ = 0;
  int battery_percent_;
  bool charging_ = false;
  int wifi_battery_;
  std::string name_ = "HERO3";
  CameraClock clock_;
  bool clock_settable_ = true;
  std::unique_ptr<MediaCard> card_;
  std::map<int, uint8_t> bacpac_pokes_;
  std::map<int, uint8_t> camera_pokes_;
};

}  // namespace kivo::camsim
