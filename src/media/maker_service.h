// What the program says to the maker's web service: the version question, problem reports, and
// the reading of the version answer. Pure functions; any thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "camera/camera_state.h"

namespace kivo {

// Models seen, as the version check sends them: "2", "W", "S", "B", "B+", "S+" in this order.
std::string VersionModelCode(const CameraState& camera);
// The shorter form a problem report carries: "2", "W", "S", "B" only.
std::string ReportModelLetters(const CameraState& camera);

std::string VersionCheckUrl(const std::string& host, const std::string& model_code);
// |text| is the message with the camera panel's caption in brackets; it is URL-encoded here.
std::string ProblemReportUrl(const std::string& host, const std::string& model_letters,
                             const std::string& text);

// The newer version the answer announces, if any: the first line, when the answer is short
// (its lines, each with CR LF, under 10 characters) and the line sorts after our own version
// character by character.
std::optional<std::string> NewerVersion(const std::vector<std::string>& lines,
                                        const std::string& own_version);

// The question put to the user when a newer version exists.
std::string NewerVersionQuestion(const std::string& own_version, const std::string& latest);

}  // namespace kivo
