#include "platform/socket_errors.h"

#include <cerrno>
#include <iterator>

namespace kivo {
namespace {

struct ErrnoRow {
  int system_error;
  int winsock;
};

// The one place where errno values become Winsock numbers. EPIPE has no Winsock twin: a send
// on a connection the peer has torn down reads as "connection aborted", which is what Winsock
// reports in that situation.
constexpr ErrnoRow kErrnoTable[] = {
    {EINTR, 10004},           {EBADF, 10009},          {EACCES, 10013},
    {EFAULT, 10014},          {EINVAL, 10022},         {EMFILE, 10024},
    {EWOULDBLOCK, 10035},     {EINPROGRESS, 10036},    {EALREADY, 10037},
    {ENOTSOCK, 10038},        {EDESTADDRREQ, 10039},   {EMSGSIZE, 10040},
    {EPROTOTYPE, 10041},      {ENOPROTOOPT, 10042},    {EPROTONOSUPPORT, 10043},
    {ESOCKTNOSUPPORT, 10044}, {EOPNOTSUPP, 10045},     {EPFNOSUPPORT, 10046},
    {EAFNOSUPPORT, 10047},    {EADDRINUSE, 10048},     {EADDRNOTAVAIL, 10049},
    {ENETDOWN, 10050},        {ENETUNREACH, 10051},    {ENETRESET, 10052},
    {ECONNABORTED, 10053},    {ECONNRESET, 10054},     {ENOBUFS, 10055},
    {EISCONN, 10056},         {ENOTCONN, 10057},       {ESHUTDOWN, 10058},
    {ETOOMANYREFS, 10059},    {ETIMEDOUT, 10060},      {ECONNREFUSED, 10061},
    {ELOOP, 10062},           {ENAMETOOLONG, 10063},   {EHOSTDOWN, 10064},
    {EHOSTUNREACH, 10065},    {ENOTEMPTY, 10066},      {EUSERS, 10068},
    {EDQUOT, 10069},          {ESTALE, 10070},         {EREMOTE, 10071},
    {EPIPE, 10053},           {ENFILE, 10024},
};

}  // namespace

int WinsockErrorFromSystem(int system_error) {
  if (system_error == 0) return 0;
#if EAGAIN != EWOULDBLOCK
  if (system_error == EAGAIN) return kWsaEWouldBlock;
#endif
  for (const auto& row : kErrnoTable) {
    if (row.system_error == system_error) return row.winsock;
  }
  return system_error;
}

int LastWinsockError() { return WinsockErrorFromSystem(errno); }

}  // namespace kivo
