// What the camera clock labels show each second: the camera's date and time (the computer's
// clock plus the offset read from the camera) and the difference between the two clocks.
// Pure functions; any thread.
#pragma once

#include <string>

#include "platform/date_time.h"

namespace kivo {

inline constexpr const char* kCamDatePlaceholder = "Camera Date";
inline constexpr const char* kCamTimePlaceholder = "Camera Time";
inline constexpr const char* kIncorrectDate = "Incorrect Date";
// A difference beyond this many days is a wrong date rather than a clock that drifted.
inline constexpr double kLargestClockOffset = 0.97;

struct ClockLabels {
  std::string date;   // CamDate
  std::string time;   // CamTime
  std::string delta;  // Delta
};

// "+ 00:01:30" / "- 00:00:05" (time of day of the magnitude); "00:00:00" under one second;
// "Incorrect Date" beyond 0.97 day.
std::string ClockDeltaText(double offset);

// The placeholders while the camera clock is unknown; otherwise |now| + |offset| as
// "mmm d yyyy" and "hh:mm:ss" beside the difference.
ClockLabels CameraClockLabels(bool known, DateTime now, double offset);

}  // namespace kivo
