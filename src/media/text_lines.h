// Splitting a file's text into lines the way the window's list boxes take them: CR LF, LF and a
// lone CR all end a line, and a last line without an ending still counts. Pure; any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kivo {

std::vector<std::string> SplitLines(std::string_view text);

}  // namespace kivo
