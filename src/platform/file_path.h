// The one crossing from the program's path strings (UTF-8 everywhere) to the system's: a
// std::filesystem::path made from UTF-8 is wide on Windows and bytes on POSIX, so every
// std::filesystem call and file stream opened with it reaches the wide system calls; a C stdio
// file is opened through _wfopen there. A path built from a plain std::string on Windows would
// be read in the local code page instead. Plain functions, any thread.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace kivo {

std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

// std::fopen with a UTF-8 path; nullptr (errno set) on failure.
std::FILE* OpenFile(const std::string& utf8_path, const char* mode);

}  // namespace kivo
