#include "camera_state.h"

#include <algorithm>
#include <array>

namespace kivo::camsim {
namespace {

// Card space of one photo by resolution code: about 0.29 MB per megapixel.
constexpr std::array<uint64_t, 9> kPhotoBytes = {3'200'000, 2'330'000, 1'460'000, 1'460'000,
                                                 2'040'000, 3'500'000, 2'040'000, 3'500'000,
                                                 2'920'000};

CameraSettings SettingsFromRecord(const CameraRecord& r) {
  CameraSettings s;
  s.mode = r[1];
  s.default_mode = r[3];
  s.spot_meter = r[4];
  s.timelapse = r[5];
  s.auto_off = r[6];
  s.fov = r[7];
  s.photo_res = r[8];
  s.video_mode = r[9];
  s.beep = r[16];
  s.leds = r[17];
  const uint8_t flags = r[18];
  s.streaming = flags & 0x01;
  s.orientation_up = flags & 0x04;
  s.one_button = flags & 0x08;
  s.osd = flags & 0x10;
  s.pal = flags & 0x20;
  s.locate = flags & 0x40;
  s.other_flags = flags & 0x82;
  return s;
}

int TimeLapseIntervalMs(uint8_t code) { return code == 0 ? 500 : code * 1000; }

std::string ModelShortName(const ModelProfile& model) {
  switch (model.code) {
    case 1: return "HERO2";
    case 10: case 11: return "HERO3+";
    default: return "HERO3";
  }
}

}  // namespace

CameraState::CameraState(const ModelProfile& model, const CameraConfig& config,
                         std::function<int64_t()> monotonic_ms)
    : model_(&model),
      monotonic_ms_(std::move(monotonic_ms)),
      boot_ms_(config.boot_ms),
      camera_on_(config.camera_on),
      settings_(SettingsFromRecord(model.camera)),
      battery_percent_(std::min(100, model.camera[19] * 100 / model.battery_full)),
      wifi_battery_(model.bacpac[1]),
      name_(ModelShortName(model)),
      clock_(monotonic_ms_) {
  if (config.battery) battery_percent_ = *config.battery;
  if (config.clock) clock_.Set(*config.clock);
  if (config.clock_offset_s) clock_.SetFromHost(*config.clock_offset_s * 1000);

  // The recorded camera record says how many photos and videos are on the card and how much
  // room is left; start from a card that reads back the same.
  const CameraRecord& r = model.camera;
  const uint64_t photos_left = r[21] * 256u + r[22];
  card_ = std::make_unique<MediaCard>(model.name, 0, config.files_per_folder);
  const CivilTime yesterday = FromNaiveSeconds(clock_.NowNaiveSeconds() - 86400);
  int64_t when = ToNaiveSeconds(yesterday);
  for (int i = 0; i < r[23] * 256 + r[24]; ++i, when += 60) {
    card_->AddPhoto(FromNaiveSeconds(when), 0);
  }
  for (int i = 0; i < r[28]; ++i, when += 300) card_->AddVideo(FromNaiveSeconds(when), 0);
  card_->set_free_bytes(photos_left * PhotoBytes() + PhotoBytes() / 100);
  card_->set_present(config.card_present);
  if (!camera_on_) settings_.streaming = false;
}

void CameraState::Advance() {
  const int64_t now = now_ms();
  if (capture_ == CaptureKind::kTimeLapse) {
    // Catch up shot by shot; a long stall of the loop still gives every photo its own time.
    while (capture_ == CaptureKind::kTimeLapse && next_shot_ms_ <= now) TakeTimeLapseShot();
  } else if (capture_ == CaptureKind::kCountdown && now >= next_shot_ms_) {
    capture_ = CaptureKind::kNone;
    card_->AddPhoto(clock_.Now(), PhotoBytes());
  }
}

void CameraState::TakeTimeLapseShot() {
  const int64_t behind_ms = now_ms() - next_shot_ms_;
  const CivilTime taken = FromNaiveSeconds(clock_.NowNaiveSeconds() - behind_ms / 1000);
  if (!card_->AddGroupPhoto(group_, taken, PhotoBytes())) {
    capture_ = CaptureKind::kNone;  // card full: the time lapse ends by itself
    return;
  }
  next_shot_ms_ += TimeLapseIntervalMs(settings_.timelapse);
}

void CameraState::SetPower(bool on) {
  if (on == camera_on_) return;
  if (!on) {
    StopCapture();
    camera_on_ = false;
    settings_.streaming = false;
    return;
  }
  camera_on_ = true;
  boot_done_ms_ = now_ms() + boot_ms_;
  settings_.mode = settings_.default_mode;
  settings_.streaming = false;
}

bool CameraState::Shutter() {
  Advance();
  if (!camera_on() || busy() || !card_->present()) return false;
  const CivilTime now = clock_.Now();
  switch (settings_.mode) {
    case 0:
      if (VideoMinutesAvailable() <= 0) return false;
      capture_ = CaptureKind::kVideo;
      break;
    case 1:
      return card_->AddPhoto(now, PhotoBytes());
    case 2: {
      if (PhotosAvailable() < kBurstPhotos) return false;
      const int group = card_->StartGroup();
      for (int i = 0; i < kBurstPhotos; ++i) card_->AddGroupPhoto(group, now, PhotoBytes());
      return true;
    }
    case 3:
      if (PhotosAvailable() <= 0) return false;
      capture_ = CaptureKind::kTimeLapse;
      group_ = card_->StartGroup();
      next_shot_ms_ = now_ms();
      break;
    case 4:
      if (PhotosAvailable() <= 0) return false;
      capture_ = CaptureKind::kCountdown;
      next_shot_ms_ = now_ms() + kCountdownMs;
      break;
    default:
      return false;
  }
  capture_started_ms_ = now_ms();
  Advance();  // a time lapse takes its first photo at once
  return true;
}

void CameraState::StopCapture() {
  Advance();
  if (capture_ == CaptureKind::kVideo) {
    const int64_t elapsed_s = (now_ms() - capture_started_ms_) / 1000;
    const CivilTime started = FromNaiveSeconds(clock_.NowNaiveSeconds() - elapsed_s);
    card_->AddVideo(started, RecordedVideoBytes());
  }
  capture_ = CaptureKind::kNone;
}

uint64_t CameraState::RecordedVideoBytes() const {
  if (capture_ != CaptureKind::kVideo) return 0;
  return static_cast<uint64_t>(now_ms() - capture_started_ms_) * kVideoBytesPerMinute / 60000;
}

uint64_t CameraState::PhotoBytes() const {
  return kPhotoBytes[std::min<size_t>(settings_.photo_res, kPhotoBytes.size() - 1)];
}

int CameraState::PhotosAvailable() const {
  return static_cast<int>(std::min<uint64_t>(card_->free_bytes() / PhotoBytes(), 0xffff));
}

int CameraState::VideoMinutesAvailable() const {
  const uint64_t free = card_->free_bytes() - std::min(card_->free_bytes(), RecordedVideoBytes());
  // 0xff in the high byte means "no card", so a real count never reaches it.
  return static_cast<int>(std::min<uint64_t>(free / kVideoBytesPerMinute, 0xfeff));
}

}  // namespace kivo::camsim
