#include "camera/clock_display.h"

#include <cmath>

namespace kivo {

std::string ClockDeltaText(double offset) {
  const double magnitude = std::fabs(offset);
  if (magnitude > kLargestClockOffset) return kIncorrectDate;
  // Said outright: formatting a fraction just under a second could round up to 00:00:01.
  if (magnitude < kOneSecond) return "00:00:00";
  return (offset > 0 ? "+ " : "- ") + FormatDateTime("hh:mm:ss", magnitude);
}

ClockLabels CameraClockLabels(bool known, DateTime now, double offset) {
  if (!known) return {kCamDatePlaceholder, kCamTimePlaceholder, ""};
  const DateTime camera = now + offset;
  return {FormatDateTime("mmm d yyyy", camera), FormatDateTime("hh:mm:ss", camera),
          ClockDeltaText(offset)};
}

}  // namespace kivo
