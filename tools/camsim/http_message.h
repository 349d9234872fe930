// HTTP/1.0 as the camera's little servers speak it: reading one request head (whatever bytes
// arrive, in any split) and writing one complete reply. Pure functions, any thread.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kivo::camsim {

inline constexpr size_t kMaxRequestHead = 8192;

struct HttpRequest {
  std::string method;
  std::string target;   // exactly as received
  std::string version;  // empty for a bare "GET /path"
  std::string path;     // target before "?"
  std::string query;    // after "?", raw
};

enum class ParseStatus { kIncomplete, kComplete, kMalformed, kTooLarge };

// Looks for a complete head ("\r\n\r\n" or "\n\n") in |data|. On kComplete fills |request|.
ParseStatus ParseRequestHead(std::string_view data, HttpRequest* request);

struct HttpResponse {
  int status = 200;
  std::vector<std::pair<std::string, std::string>> headers;  // sent in this order
  std::string body;
  bool send_body = true;      // false for HEAD
  bool content_length = true; // the length header (with the body's true length)
};

HttpResponse TextResponse(int status, std::string content_type, std::string body);
std::string_view ReasonPhrase(int status);
// Status line, headers (Content-Length last, unless disabled), blank line, body.
std::string SerializeResponse(const HttpResponse& response);

}  // namespace kivo::camsim
