// HTTP/1.0 as the camera's little servers speak it: reading one request head (whatever bytes
// arrive, in any split) and writing one complete reply. Pure functions, any thread.
#pragma once

#include <cstdint>
#include <optional>
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
  std::string range;    // value of a Range header, empty when none was sent
};

enum class ParseStatus { kIncomplete, kComplete, kMalformed, kTooLarge };

// Looks for a complete head ("\r\n\r\n" or "\n\n") in |data|. On kComplete fills |request|.
ParseStatus ParseRequestHead(std::string_view data, HttpRequest* request);

// A body too large to hold: |prefix| followed by bytes computed from |seed| (generated_body.h),
// |size| bytes in all; the server sends bytes [begin, end) of it as it goes.
struct GeneratedBody {
  std::string prefix;
  uint64_t seed = 0;
  uint64_t size = 0;
  uint64_t begin = 0;
  uint64_t end = 0;
};

struct HttpResponse {
  int status = 200;
  std::vector<std::pair<std::string, std::string>> headers;  // sent in this order
  std::string body;
  bool send_body = true;      // false for HEAD
  bool content_length = true; // the length header (with the body's true length)
  std::optional<GeneratedBody> generated;  // streamed by the server instead of |body|
};

// A single byte range "bytes=A-B", "bytes=A-" or "bytes=-N" against a body of |size| bytes:
// [begin, end). Empty when absent or not understood (the whole body is then sent); begin == end
// == size when it starts beyond the body (416).
struct ByteRange {
  uint64_t begin = 0;
  uint64_t end = 0;
};
std::optional<ByteRange> ParseByteRange(std::string_view value, uint64_t size);
// Narrows a 200 reply of |size| bytes to |range| (206 with Content-Range, or 416).
void ApplyRange(HttpResponse& response, const ByteRange& range, uint64_t size);

HttpResponse TextResponse(int status, std::string content_type, std::string body);
std::string_view ReasonPhrase(int status);
// Status line, headers (Content-Length last, unless disabled), blank line, body. A generated
// body is not included: the server streams it after these bytes.
std::string SerializeResponse(const HttpResponse& response);

}  // namespace kivo::camsim
