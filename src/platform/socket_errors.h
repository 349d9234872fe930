// Socket error numbers as the rest of the program sees them: the Winsock numbers (10061 refused,
// 10060 timed out, ...) on every platform, because callers compare against them. Pure functions,
// usable from any thread.
#pragma once

namespace kivo {

// Winsock numbers the socket layer itself tests for.
inline constexpr int kWsaEInval = 10022;
inline constexpr int kWsaENotSock = 10038;
inline constexpr int kWsaEWouldBlock = 10035;
inline constexpr int kWsaEInProgress = 10036;
inline constexpr int kWsaEProtoNoSupport = 10043;
inline constexpr int kWsaENetUnreach = 10051;
inline constexpr int kWsaEConnAborted = 10053;
inline constexpr int kWsaEConnReset = 10054;
inline constexpr int kWsaENotConn = 10057;
inline constexpr int kWsaETimedOut = 10060;
inline constexpr int kWsaEConnRefused = 10061;
inline constexpr int kWsaEHostUnreach = 10065;
inline constexpr int kWsaNotInitialised = 10093;
inline constexpr int kWsaHostNotFound = 11001;
inline constexpr int kWsaTryAgain = 11002;
inline constexpr int kWsaNoRecovery = 11003;
inline constexpr int kWsaNoData = 11004;
// A socket tied to a network interface the system does not have (Windows' "element not found";
// no Winsock number means this). Never a silent fall-back to another interface.
inline constexpr int kErrorNoSuchInterface = 1168;

// Translates an operating-system error number (errno on POSIX) into its Winsock number. Numbers
// without a Winsock counterpart come back unchanged, so they still read as "not a Winsock error".
int WinsockErrorFromSystem(int system_error);

// The Winsock number of the calling thread's last failed system call.
int LastWinsockError();

}  // namespace kivo
