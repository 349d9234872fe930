// kivo-cli: the camera from a shell. The camera's address and password default to the window's
// Kivo.ini, taken from the same settings folder the window uses (or the copy shipped beside the
// program until the window has saved one). The file is only read, so nothing is created and
// nothing is said about where the window keeps its files: a script's output stays its own.
#include <string>

#include "cli/cli_main.h"
#include "platform/console.h"
#include "platform/file_path.h"
#include "platform/program_dir.h"

int main(int argc, char** argv) {
  return kivo::RunCli(kivo::CommandLineArguments(argc, argv),
                      [] { return kivo::SettingsFileToRead("Kivo.ini"); });
}
