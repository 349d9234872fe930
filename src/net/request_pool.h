// The borrowing side of the background request pool: a feature hands a URL and a completion
// to GetURL (GET) or GetHead (HEAD); the body (for a HEAD, the reply's header lines each ended
// by CR LF) lands in a new temporary file beside the program, and the completion runs exactly
// once, later, on the loop thread, with the URL, that file's name and the request's error
// (0 success, 3 aborted, otherwise a Winsock error number such as 10060 or 10061).
// Loop thread only. Tnet is the real pool; tests may stand in with their own.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace kivo {

using RequestCallback =
    std::function<void(const std::string& url, const std::string& file_name, std::uint16_t error)>;

class RequestPool {
 public:
  virtual ~RequestPool() = default;
  // Both return true when the request was NOT started (empty URL, no free client, a client
  // that refused); then the completion is never called. False: it will be called once.
  virtual bool GetURL(const std::string& url, RequestCallback callback) = 0;
  virtual bool GetHead(const std::string& url, RequestCallback callback) = 0;
};

}  // namespace kivo
