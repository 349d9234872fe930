#include "http_message.h"

#include <algorithm>

namespace kivo::camsim {

ParseStatus ParseRequestHead(std::string_view data, HttpRequest* request) {
  size_t end = data.find("\r\n\r\n");
  const size_t lf_end = data.find("\n\n");
  if (end == std::string_view::npos || (lf_end != std::string_view::npos && lf_end < end)) {
    end = lf_end;
  }
  if (end == std::string_view::npos) {
    return data.size() >= kMaxRequestHead ? ParseStatus::kTooLarge : ParseStatus::kIncomplete;
  }
  if (end >= kMaxRequestHead) return ParseStatus::kTooLarge;
  std::string_view line = data.substr(0, data.find('\n'));
  if (line.ends_with('\r')) line.remove_suffix(1);
  // "METHOD TARGET VERSION" (or "METHOD TARGET" of the oldest clients): a target never holds a
  // blank, so a request line with one more is refused, as the camera's own server does.
  const size_t first = line.find(' ');
  if (first == std::string_view::npos || first == 0) return ParseStatus::kMalformed;
  request->method = std::string(line.substr(0, first));
  std::string_view rest = line.substr(first + 1);
  const size_t last = rest.rfind(' ');
  if (last != std::string_view::npos && rest.substr(last + 1).starts_with("HTTP/")) {
    request->version = std::string(rest.substr(last + 1));
    rest = rest.substr(0, last);
  } else {
    request->version.clear();
  }
  if (rest.empty() || rest.find(' ') != std::string_view::npos) return ParseStatus::kMalformed;
  request->target = std::string(rest);
  const size_t question = rest.find('?');
  request->path = std::string(rest.substr(0, question));
  request->query =
      question == std::string_view::npos ? std::string() : std::string(rest.substr(question + 1));
  request->range.clear();
  std::string_view headers = data.substr(0, end);
  while (!headers.empty()) {
    const size_t lf = headers.find('\n');
    std::string_view h = headers.substr(0, lf);
    headers = lf == std::string_view::npos ? std::string_view() : headers.substr(lf + 1);
    if (h.ends_with('\r')) h.remove_suffix(1);
    if (h.size() > 6 && (h.substr(0, 6) == "Range:" || h.substr(0, 6) == "range:")) {
      h.remove_prefix(6);
      while (!h.empty() && h.front() == ' ') h.remove_prefix(1);
      request->range = std::string(h);
    }
  }
  return ParseStatus::kComplete;
}

HttpResponse TextResponse(int status, std::string content_type, std::string body) {
  HttpResponse response;
  response.status = status;
  response.headers.emplace_back("Content-Type", std::move(content_type));
  response.body = std::move(body);
  return response;
}

std::string_view ReasonPhrase(int status) {
  switch (status) {
    case 200: return "OK";
    case 206: return "Partial Content";
    case 416: return "Range Not Satisfiable";
    case 301: return "Moved Permanently";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 410: return "Gone";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    default: return "Unknown";
  }
}

std::string SerializeResponse(const HttpResponse& response) {
  std::string out = "HTTP/1.0 " + std::to_string(response.status) + " ";
  out += ReasonPhrase(response.status);
  out += "\r\n";
  for (const auto& [name, value] : response.headers) out += name + ": " + value + "\r\n";
  if (response.content_length) {
    const uint64_t length = response.generated
                                ? response.generated->end - response.generated->begin
                                : response.body.size();
    out += "Content-Length: " + std::to_string(length) + "\r\n";
  }
  out += "Connection: close\r\n\r\n";
  if (response.send_body && !response.generated) out += response.body;
  return out;
}

namespace {
bool ParseDigits(std::string_view text, uint64_t* value) {
  if (text.empty() || text.size() > 19) return false;
  uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  *value = v;
  return true;
}
}  // namespace

std::optional<ByteRange> ParseByteRange(std::string_view value, uint64_t size) {
  if (!value.starts_with("bytes=")) return std::nullopt;
  value.remove_prefix(6);
  const size_t dash = value.find('-');
  if (dash == std::string_view::npos || value.find(',') != std::string_view::npos) {
    return std::nullopt;
  }
  uint64_t first = 0;
  uint64_t last = 0;
  const bool has_first = ParseDigits(value.substr(0, dash), &first);
  const bool has_last = ParseDigits(value.substr(dash + 1), &last);
  if (!has_first) {
    if (!has_last || dash != 0) return std::nullopt;
    return ByteRange{size - std::min(size, last), size};  // the last N bytes
  }
  if (dash + 1 < value.size() && !has_last) return std::nullopt;
  if (has_last && last < first) return std::nullopt;
  if (first >= size) return ByteRange{size, size};
  return ByteRange{first, has_last ? std::min(size, last + 1) : size};
}

void ApplyRange(HttpResponse& response, const ByteRange& range, uint64_t size) {
  if (range.begin >= size) {
    response.status = 416;
    response.headers.emplace_back("Content-Range", "bytes */" + std::to_string(size));
    response.body.clear();
    response.generated.reset();
    return;
  }
  response.status = 206;
  response.headers.emplace_back("Content-Range", "bytes " + std::to_string(range.begin) + "-" +
                                                     std::to_string(range.end - 1) + "/" +
                                                     std::to_string(size));
  if (response.generated) {
    response.generated->begin = range.begin;
    response.generated->end = range.end;
  } else {
    response.body = response.body.substr(range.begin, range.end - range.begin);
  }
}

}  // namespace kivo::camsim
