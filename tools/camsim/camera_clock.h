// The camera's own clock: a date and time without a zone (the camera has no notion of one) that
// runs on from whatever it was last set to. Also the calendar helpers the media server needs.
// Single-threaded: used from the simulator's loop thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kivo::camsim {

// Calendar fields of a zone-less date and time.
struct CivilTime {
  int year = 2000;
  int month = 1;   // 1..12
  int day = 1;     // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Seconds since 1970-01-01 00:00:00 of the calendar, no zone involved.
int64_t ToNaiveSeconds(const CivilTime& t);
CivilTime FromNaiveSeconds(int64_t seconds);
bool IsValid(const CivilTime& t);
// "YYYY-MM-DD HH:MM:SS" (the separators are not checked); nullopt when malformed or invalid.
std::optional<CivilTime> ParseCivilTime(const std::string& text);

// "Sun, 01 Mar 2015 12:00:00 GMT": what an HTTP server puts in its Date header.
std::string FormatRfc1123(const CivilTime& t);
// "01-Mar-2015 12:00": the date column of the media server's directory pages.
std::string FormatListingDate(const CivilTime& t);
// "2015:03:01 12:00:00": the date as photo metadata stores it.
std::string FormatExifDate(const CivilTime& t);
// "2015-03-01 12:00:00".
std::string FormatIsoDate(const CivilTime& t);

// The host's local time as zone-less fields, for the default starting point of the camera clock.
CivilTime HostLocalTime();
// The same to the millisecond, in milliseconds of the zone-less calendar (see ToNaiveSeconds).
int64_t HostLocalNaiveMs();

class CameraClock {
 public:
  // |monotonic_ms| gives the simulator's monotonic time in milliseconds.
  explicit CameraClock(std::function<int64_t()> monotonic_ms);

  void Set(const CivilTime& t);
  // The host's local time moved by |offset_ms|, to the millisecond: a clock that is exactly so
  // far ahead (or behind, when negative) of the host's.
  void SetFromHost(int64_t offset_ms);
  CivilTime Now() const;
  int64_t NowNaiveSeconds() const;

 private:
  std::function<int64_t()> monotonic_ms_;
  int64_t base_naive_ms_ = 0;
  int64_t base_monotonic_ms_ = 0;
};

}  // namespace kivo::camsim
