// Stand-in for the maker's web service: answers the version check with a version given on the
// command line and records every problem report (one line each, to a file when one is given).
// Loop thread only.
#pragma once

#include <string>
#include <vector>

#include "http_message.h"

namespace kivo::camsim {

struct ProblemReport {
  std::string version;  // V
  std::string models;   // C
  std::string message;  // msg, decoded
};

class ServiceStub {
 public:
  explicit ServiceStub(std::string latest_version) : latest_version_(std::move(latest_version)) {}

  // Appends each report as "V=..<TAB>C=..<TAB>msg=.." to |path|.
  bool OpenReportFile(const std::string& path, std::string* error);
  const std::string& latest_version() const { return latest_version_; }
  void set_latest_version(std::string version) { latest_version_ = std::move(version); }

  HttpResponse Handle(const HttpRequest& request);
  const std::vector<ProblemReport>& reports() const { return reports_; }

 private:
  std::string latest_version_;
  std::string report_path_;
  std::vector<ProblemReport> reports_;
};

// Query value of |key| ("V", "C", "msg"), percent-decoded; empty when absent.
std::string QueryValue(const std::string& query, const std::string& key);

}  // namespace kivo::camsim
