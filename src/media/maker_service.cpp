#include "media/maker_service.h"

#include "kivo_version.h"
#include "net/http_util.h"

namespace kivo {

std::string VersionModelCode(const CameraState& c) {
  std::string code;
  if (c.Hero2) code += "2";
  if (c.HeroWhite) code += "W";
  if (c.HeroSilver) code += "S";
  if (c.HeroBlack) code += "B";
  if (c.HeroBlackPlus) code += "B+";
  if (c.HeroSilverPlus) code += "S+";
  return code;
}

std::string ReportModelLetters(const CameraState& c) {
  std::string code;
  if (c.Hero2) code += "2";
  if (c.HeroWhite) code += "W";
  if (c.HeroSilver) code += "S";
  if (c.HeroBlack) code += "B";
  return code;
}

std::string VersionCheckUrl(const std::string& host, const std::string& model_code) {
  return "http://" + host + "/Kivo/KivoVersion.php5?V=" + kProgramVersion + "&C=" + model_code;
}

std::string ProblemReportUrl(const std::string& host, const std::string& model_letters,
                             const std::string& text) {
  return "http://" + host + "/Kivo/Errors.php5?V=" + kProgramVersion + "&C=" + model_letters +
         "&msg=" + UrlEncode(text);
}

std::optional<std::string> NewerVersion(const std::vector<std::string>& lines,
                                        const std::string& own_version) {
  if (lines.empty()) return std::nullopt;
  std::size_t length = 0;
  for (const std::string& line : lines) length += line.size() + 2;
  // Plain byte comparison on purpose: the service answers in the same form we compare with.
  if (length < 10 && lines.front() > own_version) return lines.front();
  return std::nullopt;
}

std::string NewerVersionQuestion(const std::string& own_version, const std::string& latest) {
  return "You are using version:   " + own_version + "\r\r" +
         "The latest version is:      " + latest + "\r\r" + "Download the latest version now?     ";
}

}  // namespace kivo
