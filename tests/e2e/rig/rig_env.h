// What the rig's namespace (tests/e2e/netns_run.sh --cameras N) gives its tests: environment
// variables, the number of cameras, what each camera has been asked for, and its control script.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace kivo::rig {

inline std::string Env(const std::string& name) {
  const char* v = std::getenv(name.c_str());
  return v ? v : "";
}

inline int Cameras() { return std::atoi(Env("KIVO_RIG_CAMERAS").c_str()); }

// The targets camera |camera| has been asked for ("MS PORT METHOD TARGET" lines).
inline std::vector<std::string> Logged(int camera) {
  std::ifstream in(Env("KIVO_RIG_LOG_" + std::to_string(camera)));
  std::vector<std::string> targets;
  std::string ms, port, method, target;
  while (in >> ms >> port >> method >> target) targets.push_back(target);
  return targets;
}

// How often camera |camera| has been sent a request whose target starts with |prefix|.
inline std::size_t Count(int camera, const std::string& prefix) {
  std::size_t n = 0;
  for (const std::string& target : Logged(camera)) n += target.rfind(prefix, 0) == 0;
  return n;
}

// rig_control.sh: one control line to camera |camera|, or "link down|up".
inline bool Control(int camera, const std::string& words) {
  const std::string command =
      Env("KIVO_RIG_CONTROL") + " " + std::to_string(camera) + " " + words + " > /dev/null";
  return std::system(command.c_str()) == 0;
}

}  // namespace kivo::rig
