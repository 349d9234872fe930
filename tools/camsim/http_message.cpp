#include "http_message.h"

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
  // The target runs from the first blank to the last one, so that a target holding blanks (the
  // program does not escape camera names) still arrives whole.
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
  if (rest.empty()) return ParseStatus::kMalformed;
  request->target = std::string(rest);
  const size_t question = rest.find('?');
  request->path = std::string(rest.substr(0, question));
  request->query =
      question == std::string_view::npos ? std::string() : std::string(rest.substr(question + 1));
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
    out += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
  }
  out += "Connection: close\r\n\r\n";
  if (response.send_body) out += response.body;
  return out;
}

}  // namespace kivo::camsim
