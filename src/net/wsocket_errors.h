// Texts of the socket layer: the words for each Winsock error number and the socket's own
// messages. Pure data and functions; any thread.
#pragma once

#include <string>

namespace kivo {

// Words for a Winsock error number ("Connection refused" for 10061, ...).
std::string SocketErrorText(int error);

namespace wsocket_text {
inline constexpr char kSocketInUse[] = "Connect: Socket already in use";
inline constexpr char kNoPort[] = "Connect: No Port Specified";
inline constexpr char kNoAddress[] = "Connect: No IP Address Specified";
inline constexpr char kNoProtocol[] = "Connect: No Protocol Specified";
inline constexpr char kConnectPrefix[] = "connect: ";
inline constexpr char kFnSocket[] = "Connect (socket)";
inline constexpr char kFnStateChanged[] = "Connect (Invalid operation in OnChangeState)";
inline constexpr char kFnConnect[] = "Connect";
inline constexpr char kFnSend[] = "Send";
inline constexpr char kFnTryToSend[] = "TryToSend failed";
inline constexpr char kFnCloseSocket[] = "Disconnect (closesocket)";
inline constexpr char kInvalidHostName[] = "DNS lookup: invalid host name.";
inline constexpr char kCantStartLookup[] = "%s: can't start DNS lookup, error #%d";
inline constexpr char kChangeAddr[] = "Cannot change Addr if not closed";
inline constexpr char kChangeProto[] = "Cannot change Proto if not closed";
inline constexpr char kChangeLocalAddr[] = "Cannot change LocalAddr if not closed";
inline constexpr char kResolvePortProto[] = "WSocketResolvePort: Invalid Proto.";
inline constexpr char kResolvePort[] = "WSocketResolvePort: Cannot convert port '%s', Error #%d";
inline constexpr char kResolveProtoInvalid[] = "WSocketResolveProto: Invalid Protocol.";
inline constexpr char kResolveProto[] = "WSocketResolveProto: Cannot convert protocol '%s', Error #%d";
inline constexpr char kResolveHost[] = "WSocketResolveHost: Cannot convert host address '%s', Error #%d";
inline constexpr char kInvalidSendFlags[] = "Invalid SendFlags";
inline constexpr char kNoSuchInterface[] = "No network interface named %s";
inline constexpr char kFnBindInterface[] = "Connect (interface)";
}  // namespace wsocket_text

// printf-style formatting of the texts above ("%s" and "%d" only).
std::string FormatText(const char* pattern, const std::string& s, int d);

}  // namespace kivo
