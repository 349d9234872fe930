// kivo-cli: the camera from a shell. The camera's address and password default to the window's
// Kivo.ini, taken from the same program directory the window uses (or the copy shipped beside
// the program until the window has saved one); the file is only read.
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_main.h"
#include "platform/console.h"
#include "platform/file_path.h"
#include "platform/program_dir.h"

namespace {

std::string SettingsFile() {
  const std::string name = "Kivo.ini";
  std::string ini = kivo::ProgramDir() + name;
  const std::string source = kivo::ProgramDirReadOnlySource();
  std::error_code ec;
  if (!source.empty() && !std::filesystem::exists(kivo::PathFromUtf8(ini), ec) &&
      std::filesystem::exists(kivo::PathFromUtf8(source + name), ec))
    ini = source + name;
  return ini;
}

}  // namespace

int main(int argc, char** argv) {
  return kivo::RunCli(kivo::CommandLineArguments(argc, argv), SettingsFile);
}
