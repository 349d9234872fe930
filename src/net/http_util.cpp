#include "net/http_util.h"

#include <cctype>
#include <cmath>
#include <cstdio>

namespace kivo {
namespace {

bool StartsWithNoCase(const std::string& s, const char* prefix) {
  for (std::size_t i = 0; prefix[i] != '\0'; ++i) {
    if (i >= s.size() ||
        std::tolower(static_cast<unsigned char>(s[i])) != static_cast<unsigned char>(prefix[i])) {
      return false;
    }
  }
  return true;
}

std::string Lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool IsSchemeChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
}

// Directory of a path for "./" and "../": up to and including its last "/", or "/".
std::string PathDirectory(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "/" : path.substr(0, slash + 1);
}

// "/a/b/" -> "/a/"; "/" stays "/".
std::string ParentDirectory(const std::string& dir) {
  if (dir.size() <= 1) return "/";
  std::size_t slash = dir.rfind('/', dir.size() - 2);
  return slash == std::string::npos ? "/" : dir.substr(0, slash + 1);
}

constexpr char kDefaultDocName[] = "document.htm";
constexpr std::size_t kMaxDocName = 255;

}  // namespace

TUrlParts ParseURL(const std::string& url, const std::string& current_path) {
  TUrlParts r;
  if (url.empty()) return r;
  if (url.compare(0, 2, "./") == 0) {
    r.path = PathDirectory(current_path) + url.substr(2);
    return r;
  }
  if (url.compare(0, 3, "../") == 0) {
    std::string dir = PathDirectory(current_path);
    std::size_t rest = 0;
    while (url.compare(rest, 3, "../") == 0) {
      dir = ParentDirectory(dir);
      rest += 3;
    }
    r.path = dir + url.substr(rest);
    return r;
  }

  std::size_t authority = 0;
  bool has_scheme = false;
  std::size_t sep = url.find("://");
  if (sep != std::string::npos) {
    bool valid = sep > 0;
    for (std::size_t i = 0; i < sep && valid; ++i) valid = IsSchemeChar(url[i]);
    if (valid) {
      r.scheme = Lower(url.substr(0, sep));
      authority = sep + 3;
      has_scheme = true;
    } else {
      r.scheme = "http";
    }
  }
  if (!has_scheme) {
    if (url[0] == '/') {
      r.scheme = "http";
      if (url.size() < 2 || url[1] != '/') {
        r.path = url;
        return r;
      }
      authority = 2;  // "//host/x": the host follows the two slashes
    } else if (StartsWithNoCase(url, "http:")) {
      r.scheme = "http";
      if (url.size() > 6 && url[6] != '/') {
        r.path = url.substr(5);
        return r;
      }
      authority = 5;
      while (authority < url.size() && url[authority] == '/') ++authority;
    } else if (StartsWithNoCase(url, "mailto:")) {
      r.scheme = "mailto";
      authority = url.find(':') + 1;
    }
  }

  std::size_t end = url.find_first_of("/?", authority);
  std::string auth = url.substr(authority, end == std::string::npos ? std::string::npos : end - authority);
  if (end != std::string::npos) r.path = url.substr(end);

  std::size_t colon = auth.rfind(':');
  std::size_t at = auth.rfind('@');
  if (colon == std::string::npos && at == std::string::npos) {
    r.host = auth;
  } else if (at == std::string::npos || (colon != std::string::npos && colon > at)) {
    std::size_t host_start = at == std::string::npos ? 0 : at + 1;
    r.port = auth.substr(colon + 1);
    r.host = auth.substr(host_start, colon - host_start);
  } else {
    r.host = auth.substr(at + 1);
  }
  if (at != std::string::npos) {
    std::string credentials = auth.substr(0, at);
    std::size_t c = credentials.find(':');
    r.user = credentials.substr(0, c);
    if (c != std::string::npos) r.password = credentials.substr(c + 1);
  }
  return r;
}

std::string UrlEncode(const std::string& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 3);
  for (unsigned char c : text) {
    if (std::isalnum(c) && c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string EncodeBase64(const std::string& text) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((text.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 2 < text.size(); i += 3) {
    unsigned v = static_cast<unsigned char>(text[i]) << 16 |
                 static_cast<unsigned char>(text[i + 1]) << 8 | static_cast<unsigned char>(text[i + 2]);
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  std::size_t left = text.size() - i;
  if (left > 0) {
    unsigned v = static_cast<unsigned char>(text[i]) << 16;
    if (left == 2) v |= static_cast<unsigned char>(text[i + 1]) << 8;
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += left == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

std::string RFC1123Date(double date_time) {
  static constexpr char kDays[] = "MonTueWedThuFriSatSun";
  static constexpr char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
  long long days = static_cast<long long>(std::floor(date_time));
  long long ms = std::llround((date_time - static_cast<double>(days)) * 86400000.0);
  if (ms >= 86400000) {
    ++days;
    ms -= 86400000;
  }
  int weekday = static_cast<int>(((days - 2) % 7 + 7) % 7);
  // Civil date from a day count (days since 1899-12-30 = Unix days + 25569).
  long long z = days - 25569 + 719468;
  long long era = (z >= 0 ? z : z - 146096) / 146097;
  long long doe = z - era * 146097;
  long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  long long mp = (5 * doy + 2) / 153;
  int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  long long year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  long long seconds = ms / 1000;
  char out[64];
  std::snprintf(out, sizeof out, "%.3s, %2.2d %.3s %4.4lld %2.2d:%2.2d:%2.2d", kDays + weekday * 3,
                day, kMonths + (month - 1) * 3, year, static_cast<int>(seconds / 3600),
                static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
  return out;
}

std::string DocNameFromPath(const std::string& path) {
  std::string name = path.substr(0, path.find('?'));
  if (name.empty() || name.back() == '/') return kDefaultDocName;
  std::size_t slash = name.rfind('/');
  if (slash != std::string::npos) name = name.substr(slash + 1);
  if (name.size() > kMaxDocName) name.resize(kMaxDocName);
  return name;
}

std::string UrlDirectory(const std::string& path) {
  std::size_t limit = path.find('?');
  std::size_t end = path.find_last_of("/:", limit == std::string::npos ? std::string::npos : limit);
  if (limit != std::string::npos && end != std::string::npos && end >= limit) end = std::string::npos;
  return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

}  // namespace kivo
