// Test support: runs kivo-camsim as a child process on 127.0.0.1 with free ports, and talks to
// it with a deliberately plain HTTP client on raw sockets (not the program's own client, so the
// two check each other). Every network call has a time limit. Test thread only.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kivo::camsim::testing {

struct RawReply {
  bool connected = false;
  bool reset = false;         // the connection was reset
  bool timed_out = false;     // nothing more arrived within the limit
  std::string bytes;          // everything received
  int status = 0;             // from "HTTP/1.x NNN", 0 when there is none
  std::vector<std::string> head_lines;  // status line and header lines, without CR LF
  std::string body;
};

// Sends |request| (raw bytes) to ADDR:PORT and reads until the server closes or |timeout_ms|.
RawReply Exchange(const std::string& address_port, const std::string& request,
                  int timeout_ms = 3000);
// "METHOD TARGET HTTP/1.0" with the headers the program sends.
RawReply Http(const std::string& address_port, const std::string& target,
              const std::string& method = "GET", int timeout_ms = 3000);
// Connect only: 0 connected, otherwise the errno (ECONNREFUSED, ETIMEDOUT for no answer).
int TryConnect(const std::string& address_port, int timeout_ms);

std::string ReadFile(const std::string& path);
std::vector<std::string> Lines(const std::string& text);
std::string MakeTempDir();
// The built simulator (from the build system).
std::string CamsimPath();

class Camsim {
 public:
  // Starts the simulator with |extra_args| after the loopback defaults; fails the test (and
  // leaves ok() false) when it does not come up within 5 s.
  explicit Camsim(const std::vector<std::string>& extra_args = {});
  ~Camsim();
  Camsim(const Camsim&) = delete;
  Camsim& operator=(const Camsim&) = delete;

  bool ok() const { return ok_; }
  const std::string& camera() const { return ports_.at("camera"); }
  const std::string& media() const { return ports_.at("media"); }
  const std::string& service() const { return ports_.at("service"); }
  const std::string& control() const { return ports_.at("control"); }
  std::string dir() const { return dir_; }
  std::string log_path() const { return dir_ + "/requests.log"; }
  std::string reports_path() const { return dir_ + "/reports.txt"; }

  // One control line; returns the reply line without its line feed.
  std::string Control(const std::string& line);
  // GET on the command port with the right password and an optional "%xx" parameter.
  RawReply Command(const std::string& path, const std::string& parameter = "");
  std::string BacPacRecord();
  std::string CameraRecord();

 private:
  std::string dir_;
  pid_t pid_ = -1;
  bool ok_ = false;
  std::map<std::string, std::string> ports_;
};

}  // namespace kivo::camsim::testing
