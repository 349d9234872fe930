#include "media/listing_parser.h"

#include <array>
#include <cctype>
#include <cmath>

namespace kivo {
namespace {

constexpr std::size_t kMaxEntries = 100000;

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Case-insensitive search of an ASCII |needle| from |from|.
std::size_t FindNoCase(std::string_view hay, std::string_view needle, std::size_t from = 0) {
  if (needle.empty() || hay.size() < needle.size()) return std::string_view::npos;
  for (std::size_t i = from; i + needle.size() <= hay.size(); ++i) {
    std::size_t k = 0;
    while (k < needle.size() && Lower(hay[i + k]) == needle[k]) ++k;
    if (k == needle.size()) return i;
  }
  return std::string_view::npos;
}

int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  c = Lower(c);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// HTML entities that a server writes into links, then %XX escapes.
std::string DecodeLink(std::string_view text) {
  static constexpr std::array<std::pair<std::string_view, char>, 5> kEntities = {{
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}}};
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    bool replaced = false;
    for (const auto& [entity, c] : kEntities) {
      if (text.substr(i, entity.size()) == entity) {
        plain.push_back(c);
        i += entity.size() - 1;
        replaced = true;
        break;
      }
    }
    if (!replaced) plain.push_back(text[i]);
  }
  std::string out;
  for (std::size_t i = 0; i < plain.size(); ++i) {
    if (plain[i] == '%' && i + 2 < plain.size() && HexValue(plain[i + 1]) >= 0 &&
        HexValue(plain[i + 2]) >= 0) {
      out.push_back(static_cast<char>(HexValue(plain[i + 1]) * 16 + HexValue(plain[i + 2])));
      i += 2;
    } else {
      out.push_back(plain[i]);
    }
  }
  return out;
}

// The value of href in the tag text |tag| ("a href=\"x\" class=..."), or false.
bool HrefOf(std::string_view tag, std::string* href) {
  const std::size_t at = FindNoCase(tag, "href");
  if (at == std::string_view::npos) return false;
  std::size_t i = at + 4;
  while (i < tag.size() && tag[i] == ' ') ++i;
  if (i >= tag.size() || tag[i] != '=') return false;
  ++i;
  while (i < tag.size() && tag[i] == ' ') ++i;
  if (i >= tag.size()) return false;
  const char quote = tag[i];
  std::size_t end;
  if (quote == '"' || quote == '\'') {
    end = tag.find(quote, i + 1);
    if (end == std::string_view::npos) return false;
    *href = DecodeLink(tag.substr(i + 1, end - i - 1));
  } else {
    end = i;
    while (end < tag.size() && tag[end] != ' ' && tag[end] != '>') ++end;
    *href = DecodeLink(tag.substr(i, end - i));
  }
  return true;
}

// Text of |html| with tags removed; table cells become blanks so neighbours stay apart.
std::string VisibleText(std::string_view html) {
  std::string out;
  std::size_t i = 0;
  while (i < html.size()) {
    if (html[i] == '<') {
      const std::size_t close = html.find('>', i);
      if (close == std::string_view::npos) break;
      const std::string_view tag = html.substr(i + 1, close - i - 1);
      if (FindNoCase(tag, "td") == 0 || FindNoCase(tag, "/td") == 0) out.push_back(' ');
      i = close + 1;
    } else {
      const std::string_view nbsp = "&nbsp;";
      if (html.substr(i, nbsp.size()) == nbsp) {
        out.push_back(' ');
        i += nbsp.size();
      } else {
        out.push_back(html[i] == '\t' || html[i] == '\n' || html[i] == '\r' ? ' ' : html[i]);
        ++i;
      }
    }
  }
  return out;
}

int MonthNumber(std::string_view name) {
  static constexpr std::array<std::string_view, 12> kMonths = {
      "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (std::size_t m = 0; m < kMonths.size(); ++m) {
    if (kMonths[m] == name) return static_cast<int>(m) + 1;
  }
  return 0;
}

int Number(std::string_view digits) {
  int v = 0;
  for (char c : digits) v = v * 10 + (c - '0');
  return v;
}

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

// Finds "DD-Mon-YYYY HH:MM" in |text|; on success fills |e| and returns the end position.
std::size_t FindDate(std::string_view text, ListingEntry* e) {
  constexpr std::size_t kLength = 17;
  for (std::size_t i = 0; i + kLength <= text.size(); ++i) {
    const std::string_view d = text.substr(i, kLength);
    if (d[2] != '-' || d[6] != '-' || d[11] != ' ' || d[14] != ':') continue;
    if (!AllDigits(d.substr(0, 2)) || !AllDigits(d.substr(7, 4)) || !AllDigits(d.substr(12, 2)) ||
        !AllDigits(d.substr(15, 2))) {
      continue;
    }
    const int month = MonthNumber(d.substr(3, 3));
    const int day = Number(d.substr(0, 2));
    const int hour = Number(d.substr(12, 2));
    const int minute = Number(d.substr(15, 2));
    if (month == 0 || day < 1 || day > 31 || hour > 23 || minute > 59) continue;
    e->has_date = true;
    e->year = Number(d.substr(7, 4));
    e->month = month;
    e->day = day;
    e->hour = hour;
    e->minute = minute;
    return i + kLength;
  }
  return 0;
}

// The first blank-separated word of |text| from |from| that reads as a size.
void FindSize(std::string_view text, std::size_t from, ListingEntry* e) {
  std::size_t i = from;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ') ++i;
    std::size_t end = i;
    while (end < text.size() && text[end] != ' ') ++end;
    if (end > i && ParseSizeText(text.substr(i, end - i), &e->size, &e->size_exact)) {
      e->has_size = true;
      return;
    }
    i = end;
  }
}

bool LooksLikeIndex(std::string_view page) {
  return FindNoCase(page, "<html") != std::string_view::npos ||
         FindNoCase(page, "index of") != std::string_view::npos;
}

bool LooksComplete(std::string_view page) {
  return FindNoCase(page, "</html>") != std::string_view::npos ||
         FindNoCase(page, "</body>") != std::string_view::npos;
}

}  // namespace

bool IsSafeEntryName(std::string_view name) {
  if (name.empty() || name.size() > 64 || name.front() == '.') return false;
  for (char c : name) {
    const bool ok = IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
                    c == '-' || c == '.';
    if (!ok) return false;
  }
  return true;
}

bool ParseSizeText(std::string_view text, std::uint64_t* bytes, bool* exact) {
  std::size_t i = 0;
  while (i < text.size() && IsDigit(text[i])) ++i;
  if (i == 0 || i > 15) return false;
  std::size_t fraction_end = i;
  if (i < text.size() && text[i] == '.') {
    fraction_end = i + 1;
    while (fraction_end < text.size() && IsDigit(text[fraction_end])) ++fraction_end;
    if (fraction_end == i + 1 || fraction_end - i > 4) return false;
  }
  const std::string_view unit = text.substr(fraction_end);
  double scale = 0;
  if (unit.empty() || unit == "B" || unit == "b") {
    scale = 1;
  } else if (unit.size() == 1 || (unit.size() == 2 && Lower(unit[1]) == 'b')) {
    switch (Lower(unit[0])) {
      case 'k': scale = 1024.0; break;
      case 'm': scale = 1024.0 * 1024.0; break;
      case 'g': scale = 1024.0 * 1024.0 * 1024.0; break;
      default: return false;
    }
  } else {
    return false;
  }
  if (scale == 1 && fraction_end != i) return false;  // "1.5" bytes
  // Digits by hand: no locale may turn "4.1" into 4.
  double value = 0;
  for (std::size_t k = 0; k < i; ++k) value = value * 10 + (text[k] - '0');
  double place = 0.1;
  for (std::size_t k = i + 1; k < fraction_end; ++k, place /= 10) value += (text[k] - '0') * place;
  *bytes = static_cast<std::uint64_t>(std::llround(value * scale));
  *exact = scale == 1;
  return true;
}

ListingResult ParseListing(std::string_view page, std::string_view dir_path) {
  ListingResult result;
  if (!LooksLikeIndex(page)) {
    result.error = kListingNotIndex;
    return result;
  }
  if (!LooksComplete(page)) {
    result.error = kListingTruncated;
    return result;
  }
  std::size_t at = FindNoCase(page, "<a ");
  while (at != std::string_view::npos && result.entries.size() < kMaxEntries) {
    const std::size_t tag_end = page.find('>', at);
    if (tag_end == std::string_view::npos) break;
    const std::size_t next = FindNoCase(page, "<a ", tag_end);
    std::string href;
    const bool linked = HrefOf(page.substr(at + 3, tag_end - at - 3), &href);
    // Only up to the next link: a page of links that never close must not cost n squared.
    const std::size_t cells_to = next == std::string_view::npos ? page.size() : next;
    const std::size_t close_at =
        FindNoCase(page.substr(tag_end, cells_to - tag_end), "</a>");
    const std::size_t link_close =
        close_at == std::string_view::npos ? std::string_view::npos : tag_end + close_at;
    at = next;
    if (!linked) continue;
    // Relative names, or absolute paths straight into this directory.
    if (!dir_path.empty() && href.starts_with(dir_path)) href.erase(0, dir_path.size());
    ListingEntry e;
    if (href.ends_with('/')) {
      e.is_folder = true;
      href.pop_back();
    }
    if (!IsSafeEntryName(href)) continue;
    e.name = href;
    // The row's cells after the link, up to the next link.
    const std::size_t cells_from = link_close == std::string_view::npos ? tag_end + 1
                                                                         : link_close + 4;
    if (cells_from < cells_to) {
      std::string_view row = page.substr(cells_from, cells_to - cells_from);
      const std::size_t row_end = FindNoCase(row, "</tr>");
      if (row_end != std::string_view::npos) row = row.substr(0, row_end);
      const std::string text = VisibleText(row);
      const std::size_t after_date = FindDate(text, &e);
      if (!e.is_folder) FindSize(text, after_date, &e);
    }
    result.entries.push_back(std::move(e));
  }
  result.ok = true;
  return result;
}

}  // namespace kivo
