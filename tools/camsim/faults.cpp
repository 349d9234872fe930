#include "faults.h"

#include <cstdlib>

namespace kivo::camsim {
namespace {

struct FaultRow {
  FaultMode mode;
  std::string_view name;
  std::string_view help;
};

constexpr std::array<FaultRow, 12> kFaults = {{
    {FaultMode::kNone, "none", "behave normally (and plug the camera back in)"},
    {FaultMode::kSilent, "silent", "accept and read requests, never answer"},
    {FaultMode::kDelay, "delay", "answer after MS milliseconds (default 3000)"},
    {FaultMode::kReset, "reset", "read the request, then reset the connection"},
    {FaultMode::kRefuse, "refuse", "stop listening, so connections are refused"},
    {FaultMode::kGarbage, "garbage", "answer with bytes that are not HTTP"},
    {FaultMode::kShortRecord, "short", "status records cut short (10 and 20 bytes)"},
    {FaultMode::kTextRecord, "text", "status records replaced by a text page"},
    {FaultMode::kNoBody, "nobody", "replies carry headers only, Content-Length: 0"},
    {FaultMode::kWrongPassword, "wrongpass", "refuse every password (body \"403 ...\")"},
    {FaultMode::kFlaky, "flaky", "drop the link every N MB sent (default 8; N not 80/8080)"},
    {FaultMode::kHostileMedia, "hostile",
     "listings and photos whose names and dates hold \"../../x\" and control bytes"},
}};

bool IsNumber(const std::string& word) {
  return !word.empty() && word.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

std::string_view FaultName(FaultMode mode) {
  for (const FaultRow& row : kFaults) {
    if (row.mode == mode) return row.name;
  }
  return "?";
}

std::optional<FaultMode> ParseFaultName(std::string_view name) {
  for (const FaultRow& row : kFaults) {
    if (row.name == name) return row.mode;
  }
  return std::nullopt;
}

std::string FaultHelp() {
  std::string out;
  for (const FaultRow& row : kFaults) {
    out += "    ";
    out += row.name;
    out.append(12 - row.name.size(), ' ');
    out += row.help;
    out += "\n";
  }
  out += "    unplugged   the camera's address stops answering pings and connections\n";
  return out;
}

std::optional<std::string> FaultSet::Apply(const std::vector<std::string>& words) {
  if (words.empty()) return "fault: name missing";
  const std::string& name = words[0];
  std::optional<FaultMode> mode = ParseFaultName(name);
  const bool unplug = name == "unplugged";
  if (!mode && !unplug) return "fault: unknown fault '" + name + "'";
  Fault fault{mode.value_or(FaultMode::kNone), 0};
  std::string scope = "camera";
  for (size_t i = 1; i < words.size(); ++i) {
    if (IsNumber(words[i]) && words[i] != "80" && words[i] != "8080") {
      fault.delay_ms = std::atoi(words[i].c_str());
    } else if (words[i] == "camera" || words[i] == "80" || words[i] == "8080" ||
               words[i] == "service" || words[i] == "all") {
      scope = words[i];
    } else {
      return "fault: unexpected '" + words[i] + "'";
    }
  }
  if (fault.mode == FaultMode::kDelay && fault.delay_ms == 0) fault.delay_ms = kDefaultDelayMs;
  if (unplug) {
    unplugged_ = true;
    return std::nullopt;
  }
  const bool camera = scope == "camera" || scope == "all";
  if (camera || scope == "80") For(Role::kCommand) = fault;
  if (camera || scope == "8080") For(Role::kMedia) = fault;
  if (scope == "service" || scope == "all") For(Role::kService) = fault;
  if (fault.mode == FaultMode::kNone && camera) unplugged_ = false;
  return std::nullopt;
}

std::string FaultSet::Describe() const {
  auto one = [](const Fault& f) {
    std::string text(FaultName(f.mode));
    if (f.mode == FaultMode::kDelay || (f.mode == FaultMode::kFlaky && f.delay_ms > 0)) {
      text += ":" + std::to_string(f.delay_ms);
    }
    return text;
  };
  return "80=" + one(For(Role::kCommand)) + " 8080=" + one(For(Role::kMedia)) +
         " service=" + one(For(Role::kService)) + " unplugged=" + (unplugged_ ? "yes" : "no");
}

}  // namespace kivo::camsim
