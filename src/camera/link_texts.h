// The texts both views say when the camera does not answer, is off, or is handed a clock text it
// cannot take: the main window shows them in its status bar or a message box, kivo-cli prints
// them. One copy each, so a script reading kivo-cli's errors sees what a user of the window sees.
#pragma once

namespace kivo {

// Status bar: the BacPac status request could not connect, or timed out.
inline constexpr char kNoConnectionStatus[] = "No connection to Camera";
inline constexpr char kBacPacTimeoutStatus[] = "BacPac timeout";
// Status bar: a camera command got no answer in time.
inline constexpr char kCommandTimeoutStatus[] = "Command Timeout";
// The camera's clock (its media server's Date: line) could not be read in time, or was refused.
inline constexpr char kClockUnreachableStatus[] = "Get Time Unable to connect to camera";
inline constexpr char kClockRefusedStatus[] = "Get Time Connection Refused";
// A typed "yy.mm.dd hh.mm.ss" that is not one.
inline constexpr char kDateWrongMessage[] = "Date is not in correct format";

}  // namespace kivo
