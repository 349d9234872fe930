// The simulator's control channel: one text line in, one line out ("ok ..." or "error ..."), to
// switch faults, plug and unplug the camera, read and poke its records and adjust its state while
// it runs. Also the client side used by "kivo-camsim --control ADDR:PORT WORDS...".
// Execute() runs on the loop thread; the client is a plain blocking function.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "camera_routes.h"
#include "camera_state.h"
#include "faults.h"
#include "service_stub.h"

namespace kivo::camsim {

class ControlChannel {
 public:
  struct Hooks {
    std::function<std::string()> apply_faults;  // returns an error text, empty when all went well
    std::function<void()> quit;
  };

  ControlChannel(CameraState& state, CameraRoutes& routes, ServiceStub& service,
                 FaultSet& faults, Hooks hooks)
      : state_(state), routes_(routes), service_(service), faults_(faults),
        hooks_(std::move(hooks)) {}

  std::string Execute(std::string_view line);
  // The words accepted, for --help.
  static std::string Help();

 private:
  std::string Fault(const std::vector<std::string>& words);
  std::string Set(const std::vector<std::string>& words);
  std::string Poke(const std::vector<std::string>& words);
  std::string State();

  CameraState& state_;
  CameraRoutes& routes_;
  ServiceStub& service_;
  FaultSet& faults_;
  Hooks hooks_;
};

// Splits a control line into words; "double quotes" keep blanks inside one word.
std::vector<std::string> SplitWords(std::string_view line);

// Sends |words| as one line to ADDR:PORT, prints the reply; exit code 0 when it begins "ok".
int RunControlClient(const std::string& address_port, const std::vector<std::string>& words);

}  // namespace kivo::camsim
