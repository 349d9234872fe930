#include "service_stub.h"

#include <fstream>

#include "command_table.h"

namespace kivo::camsim {

std::string QueryValue(const std::string& query, const std::string& key) {
  size_t start = 0;
  while (start <= query.size()) {
    size_t end = query.find('&', start);
    if (end == std::string::npos) end = query.size();
    const std::string pair = query.substr(start, end - start);
    if (pair.starts_with(key + "=")) return PercentDecode(pair.substr(key.size() + 1));
    start = end + 1;
  }
  return {};
}

bool ServiceStub::OpenReportFile(const std::string& path, std::string* error) {
  std::ofstream probe(path, std::ios::app);
  if (!probe) {
    *error = "cannot write report file " + path;
    return false;
  }
  report_path_ = path;
  return true;
}

HttpResponse ServiceStub::Handle(const HttpRequest& request) {
  if (request.method != "GET") return TextResponse(405, "text/plain", "method not allowed\n");
  if (request.path == "/Kivo/KivoVersion.php5") {
    return TextResponse(200, "text/plain", latest_version_);
  }
  if (request.path == "/Kivo/Errors.php5") {
    ProblemReport report{QueryValue(request.query, "V"), QueryValue(request.query, "C"),
                         QueryValue(request.query, "msg")};
    if (!report_path_.empty()) {
      std::string line = "V=" + report.version + "\tC=" + report.models + "\tmsg=";
      for (char c : report.message) line.push_back(c == '\n' || c == '\r' ? ' ' : c);
      std::ofstream(report_path_, std::ios::app) << line << "\n" << std::flush;
    }
    reports_.push_back(std::move(report));
    return TextResponse(200, "text/plain", "OK");
  }
  return TextResponse(404, "text/html", "<html><body><h1>404 Not Found</h1></body></html>\n");
}

}  // namespace kivo::camsim
