// The whole simulated camera put together: camera state, its two servers, the maker's service
// stub, the faults, the request log and the control channel, on one ServerLoop. Created and run
// on one thread (main()'s, or a test's).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "camera_routes.h"
#include "camera_state.h"
#include "control_channel.h"
#include "faults.h"
#include "options.h"
#include "request_log.h"
#include "server_loop.h"
#include "service_stub.h"

namespace kivo::camsim {

class Simulator : public ServerHandler {
 public:
  explicit Simulator(const Options& options);

  // Opens the files and listeners. On success |listening| holds "ADDR:PORT ROLE" lines.
  bool Start(std::vector<std::string>* listening, std::string* error);
  int Run() { return loop_.Run(); }

  HttpResponse HandleHttp(Role role, const HttpRequest& request) override;
  std::string HandleControl(std::string_view line) override;
  void Tick() override { state_.Advance(); }

 private:
  Options options_;
  CameraState state_;
  CameraRoutes routes_;
  ServiceStub service_;
  FaultSet faults_;
  RequestLog log_;
  ServerLoop loop_;
  ControlChannel control_;
};

}  // namespace kivo::camsim
