#include "platform/file_path.h"

namespace kivo {

std::FILE* OpenFile(const std::string& utf8_path, const char* mode) {
  return std::fopen(utf8_path.c_str(), mode);
}

}  // namespace kivo
