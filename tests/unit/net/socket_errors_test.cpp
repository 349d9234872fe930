#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "net/wsocket_errors.h"
#include "platform/socket_errors.h"

namespace kivo {
namespace {

struct ErrnoCase {
  const char* name;
  int system_error;
  int winsock;
};

class ErrnoTranslationTest : public ::testing::TestWithParam<ErrnoCase> {};

TEST_P(ErrnoTranslationTest, BecomesTheWinsockNumber) {
  EXPECT_EQ(WinsockErrorFromSystem(GetParam().system_error), GetParam().winsock);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ErrnoTranslationTest,
    ::testing::Values(ErrnoCase{"Success", 0, 0}, ErrnoCase{"Refused", ECONNREFUSED, 10061},
                      ErrnoCase{"TimedOut", ETIMEDOUT, 10060}, ErrnoCase{"Aborted", ECONNABORTED, 10053},
                      ErrnoCase{"Reset", ECONNRESET, 10054}, ErrnoCase{"NetUnreach", ENETUNREACH, 10051},
                      ErrnoCase{"HostUnreach", EHOSTUNREACH, 10065},
                      ErrnoCase{"WouldBlock", EWOULDBLOCK, 10035}, ErrnoCase{"Again", EAGAIN, 10035},
                      ErrnoCase{"InProgress", EINPROGRESS, 10036}, ErrnoCase{"NotConn", ENOTCONN, 10057},
                      ErrnoCase{"AddrInUse", EADDRINUSE, 10048}, ErrnoCase{"Inval", EINVAL, 10022},
                      ErrnoCase{"BrokenPipe", EPIPE, 10053}, ErrnoCase{"NoSuchFile", ENOENT, ENOENT}),
    [](const auto& info) { return std::string(info.param.name); });

struct TextCase {
  const char* name;
  int error;
  const char* text;
};

class SocketErrorTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(SocketErrorTextTest, NamesTheError) {
  EXPECT_EQ(SocketErrorText(GetParam().error), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SocketErrorTextTest,
    ::testing::Values(TextCase{"NoError", 0, "No Error"},
                      TextCase{"Refused", 10061, "Connection refused"},
                      TextCase{"TimedOut", 10060, "Connection timed out"},
                      TextCase{"Aborted", 10053, "Connection aborted"},
                      TextCase{"Reset", 10054, "Connection reset by peer"},
                      TextCase{"NotConnected", 10057, "Socket is not connected"},
                      TextCase{"AddressFamily", 10047, "Address family not supported by protocol family"},
                      TextCase{"NotInitialised", 10093, "WinSock not initialized"},
                      TextCase{"HostNotFound", 11001, "Host not found"},
                      TextCase{"NoData", 11004, "No Data"},
                      TextCase{"Unknown", 12345, "Not a WinSock error"},
                      TextCase{"Gap", 10090, "Not a WinSock error"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FormatTextTest, FillsStringAndNumber) {
  EXPECT_EQ(FormatText("%s: can't start DNS lookup, error #%d", "cam", 11), "cam: can't start DNS lookup, error #11");
}

}  // namespace
}  // namespace kivo
