#include "media/preview_text.h"

namespace kivo {

std::string PlayerArguments(const std::string& camera_address) {
  return "http://" + camera_address + kMediaPort + kStreamPath +
         " --qt-minimal-view --no-qt-name-in-title --scale=2";
}

bool StreamAnswered(std::size_t list_lines_with_test_line) { return list_lines_with_test_line > 3; }

std::string StreamNotFoundText(unsigned error) {
  return "Stream not found [" + std::to_string(error) + "]";
}

std::string PlayerNotStartedText(const std::string& player_path) {
  return "Cannot start the player \"" + player_path +
         "\": missing or not a program (Options > Path to VLC)";
}

}  // namespace kivo
