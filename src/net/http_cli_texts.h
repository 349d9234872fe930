// The HTTP client's own texts, each in one place.
#pragma once

namespace kivo::http_text {
inline constexpr char kBusy[] = "HTTP component is busy";
inline constexpr char kNothingToPost[] = "HTTP component has nothing to post";
inline constexpr char kLineTooLong[] = "HTTP line too long";
inline constexpr char kHeaderTooLong[] = "HTTP reply header too long";
inline constexpr char kTooManyRedirects[] = "HTTP too many redirects";
inline constexpr char kBadNumber[] = "HTTP reply header holds an invalid number";
inline constexpr char kCantResolve[] = "can't resolve hostname to IP address";
inline constexpr char kCantConnect[] = "can't connect: ";
inline constexpr char kAborted[] = "Connection aborted on request";
inline constexpr char kRcvdStreamFailed[] = "HTTP body could not be written to RcvdStream";
}  // namespace kivo::http_text
