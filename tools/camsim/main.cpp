// kivo-camsim: the simulated camera. See --help.
#include <cstdio>

#include "control_channel.h"
#include "options.h"
#include "simulator.h"

int main(int argc, char** argv) {
  using namespace kivo::camsim;
  Options options;
  if (auto error = ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr, "kivo-camsim: %s\n", error->c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(HelpText().c_str(), stdout);
    return 0;
  }
  if (!options.control_target.empty()) {
    return RunControlClient(options.control_target, options.control_words);
  }
  Simulator simulator(options);
  std::vector<std::string> listening;
  std::string error;
  if (!simulator.Start(&listening, &error)) {
    std::fprintf(stderr, "kivo-camsim: %s\n", error.c_str());
    return 1;
  }
  for (const std::string& line : listening) std::printf("listening %s\n", line.c_str());
  std::fflush(stdout);
  return simulator.Run();
}
