#include "cli/rig_output.h"

#include "cli/cli_args.h"
#include "cli/json_writer.h"

namespace kivo {
namespace {

constexpr std::string_view kProgramPrefix = "kivo-cli: ";

int Rank(int code) {
  if (code >= 128) return 6;  // interrupted or terminated
  switch (code) {
    case kExitDone: return 0;
    case kExitFailed: return 1;
    case kExitUnreachable: return 2;
    case kExitWrongPassword: return 3;
    case kExitUsage: return 4;
  }
  return 5;
}

}  // namespace

std::string MarkLine(std::string_view line, const std::string& name, LineKind kind) {
  if (kind == LineKind::kJson && line.size() >= 2 && line.front() == '{' && line.back() == '}') {
    JsonWriter j;
    j.BeginObject().Field("interface", name).EndObject();
    std::string marked = j.Text();
    marked.pop_back();  // the closing brace: the object's own members follow
    const std::string_view rest = line.substr(1);
    if (rest != "}") marked += ",";
    return marked.append(rest);
  }
  if (kind == LineKind::kError && line.substr(0, kProgramPrefix.size()) == kProgramPrefix) {
    return std::string(kProgramPrefix) + name + ": " + std::string(line.substr(kProgramPrefix.size()));
  }
  return name + ": " + std::string(line);
}

int MostSeriousExit(int a, int b) { return Rank(b) > Rank(a) ? b : a; }

MarkedLines::~MarkedLines() {
  if (!line_.empty()) to_ << MarkLine(line_, name_, kind_) << '\n';
  to_.flush();
}

void MarkedLines::Take(std::string_view text) {
  for (char ch : text) {
    if (ch != '\n') {
      line_ += ch;
      continue;
    }
    to_ << MarkLine(line_, name_, kind_) << '\n';
    line_.clear();
  }
}

MarkedLines::int_type MarkedLines::overflow(int_type ch) {
  if (!traits_type::eq_int_type(ch, traits_type::eof())) {
    const char c = traits_type::to_char_type(ch);
    Take(std::string_view(&c, 1));
  }
  return traits_type::not_eof(ch);
}

std::streamsize MarkedLines::xsputn(const char* text, std::streamsize count) {
  Take(std::string_view(text, static_cast<std::size_t>(count)));
  return count;
}

int MarkedLines::sync() {
  // Only whole lines are passed on: a line finished later is marked once.
  to_.flush();
  return 0;
}

}  // namespace kivo
