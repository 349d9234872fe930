// The camera command URL and the hex dumps of camera replies shown in the diagnostic labels.
// Pure functions; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace kivo {

// Bytes of a command reply kept for the dump; longer replies are cut.
inline constexpr std::size_t kCommandReplyBytes = 32;

// The paths both views ask: the two status records, and setting the camera's clock.
inline constexpr char kBacPacStatusPath[] = "bacpac/se";
inline constexpr char kCameraStatusPath[] = "camera/se";
inline constexpr char kSetClockPath[] = "camera/TM";

// Every byte that is not unreserved in a URL (letters, digits, "-", ".", "_", "~") as "%" and two
// upper-case hex digits: a password or a typed name then reaches the camera byte for byte, and
// its blanks, "&", "#" or "%" can neither break the request line nor start another parameter.
std::string PercentEncode(std::string_view text);

// "http://" address "/" path "?t=" the percent-encoded password, then "&p=%" parameter when the
// parameter is not empty. The parameter is used as it is: the command table's parameters are
// already percent-escapes ("01", "0d%03%01..."), and the typed part of one is encoded where it is
// made (CameraNameParameter).
std::string BuildCommandUrl(std::string_view address, std::string_view password,
                            std::string_view path, std::string_view parameter);

// Each byte as two upper-case hex digits and a blank; ". " follows the byte at each 1-based
// position listed in |dot_after|.
std::string ReplyDump(std::span<const std::uint8_t> bytes, std::initializer_list<int> dot_after);

// The command reply: its first min(len, kCommandReplyBytes) bytes, ". " after the 8th.
// A negative |len| counts as 0.
std::string CommandReplyDump(const std::uint8_t* data, int len);

// The 16-byte BacPac record: ". " after the 8th byte.
std::string BacPacDump(std::span<const std::uint8_t, 16> record);

// The 31-byte camera record: ". " after the 8th, 16th and 24th byte, with the blank after the
// 16th byte's dot turned into a carriage return so the label shows two lines.
std::string CameraDump(std::span<const std::uint8_t, 31> record);

}  // namespace kivo
