// Thin, non-blocking IPv4 TCP socket calls for the socket layer (TWSocket): the only place that
// talks to the operating system's socket API. Every function reports failures as Winsock numbers
// (0 = success). Thread-safe as the OS calls are; ResolveHostName blocks and belongs on a helper
// thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kivo::socket_api {

inline constexpr int kNoSocket = -1;

// True when |text| is a dotted IPv4 address ("10.5.5.9").
bool IsDottedAddress(const std::string& text);

// Blocking name lookup; fills |addresses| with dotted texts, first one preferred.
int ResolveHostName(const std::string& name, std::vector<std::string>* addresses);
// Port number of a service name ("http") or a decimal text for protocol |proto| ("tcp").
int ResolveService(const std::string& name, const std::string& proto, int* port);

// The system's half of the two lookups above (posix/, win32/); the rest is the same everywhere
// (socket_api.cpp). Every IPv4 address the system gives for |name|, in its order and network
// byte order, appended to |addresses|; the port of a service name.
int SystemLookupIpv4(const std::string& name, std::vector<std::uint32_t>* addresses);
int SystemServicePort(const std::string& name, const std::string& proto, int* port);

// Creates a non-blocking, close-on-exec TCP socket.
int OpenTcpSocket(int* handle);
int SetReuseAddr(int handle, bool on);
int SetNoDelay(int handle, bool on);
int SetLinger(int handle, bool on, int seconds);
int SetKeepAlive(int handle, bool on);
int Bind(int handle, const std::string& dotted, int port);
// Ties everything the socket sends to the network interface |name| (Linux SO_BINDTODEVICE with
// the interface's name; Windows IP_UNICAST_IF with the index of the adapter named, or numbered,
// |name|), so that the route through that interface is taken even when other interfaces lead to
// the same address. kErrorNoSuchInterface when there is no such interface. Call before Connect.
int BindToInterface(int handle, const std::string& name);
// Starts a connect; a connection still in progress reports the "in progress" number (10036).
int Connect(int handle, const std::string& dotted, int port);
// The error a pending connect ended with (SO_ERROR), 0 when it succeeded.
int PendingError(int handle, int* error);

// Sends without raising SIGPIPE; |urgent| sends out-of-band data.
int Send(int handle, const char* data, std::size_t len, bool urgent, long* sent);
// One recv: |*received| 0 means the peer closed its side.
int Receive(int handle, char* buffer, std::size_t len, long* received);
// Bytes waiting to be read (FIONREAD).
int BytesAvailable(int handle, long* count);
int ShutdownSend(int handle);
int CloseSocket(int handle);

}  // namespace kivo::socket_api
