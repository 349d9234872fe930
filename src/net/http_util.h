// Helpers of the HTTP client that other features use too: URL splitting, URL encoding, base64
// and the RFC 1123 date text. Pure functions; any thread.
#pragma once

#include <string>

namespace kivo {

// Parts of a URL as ParseURL splits it. Every part is text; absent parts are empty.
struct TUrlParts {
  std::string scheme;
  std::string user;
  std::string password;
  std::string host;
  std::string port;
  std::string path;
};

// Splits |url|. |current_path| is the path of the document being fetched; "./x" and "../x" are
// resolved against its directory. Beyond the usual forms: "//host/x" is a network-path
// reference (host "host"), and a scheme is recognised in any case ("HTTP://h/" gives "http").
TUrlParts ParseURL(const std::string& url, const std::string& current_path = std::string());

// Letters and digits stay; every other byte becomes "%" and two upper-case hex digits.
std::string UrlEncode(const std::string& text);

// Standard base64 (RFC 4648 alphabet, "=" padding).
std::string EncodeBase64(const std::string& text);

// "Tue, 02 Jan 2024 03:04:05" from a date-time counted in days since 1899-12-30 (fraction =
// time of day). The value is used as it is, with no time-zone conversion.
std::string RFC1123Date(double date_time);

// The file name a document would be saved under: the last path segment without its query,
// "document.htm" when there is none, at most 255 characters.
std::string DocNameFromPath(const std::string& path);

// Directory part of a request path: up to and including the last "/" or ":" before any "?".
std::string UrlDirectory(const std::string& path);

}  // namespace kivo
