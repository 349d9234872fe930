// kivo-cli from its arguments to its exit status: the camera's address and password from the
// command line or the window's Kivo.ini (read, never written), one poll event loop, the command's
// runner, and every failure as one line on standard error. Call once, from main().
#pragma once

#include <functional>
#include <iostream>
#include <string>
#include <vector>

namespace kivo {

// |arguments| without the program name. |settings_file| names the settings file to take the
// defaults from ("" or a missing file: the built-in defaults); it is asked only by commands that
// talk to the camera, so --help and the completion words touch nothing.
int RunCli(const std::vector<std::string>& arguments,
           const std::function<std::string()>& settings_file, std::ostream& out = std::cout,
           std::ostream& err = std::cerr);

}  // namespace kivo
