// ScriptedShell: the shell a test hands to the windows. Loop thread only.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace kivo {

// Runs nothing; remembers what it was asked to do.
class ScriptedShell : public Shell {
 public:
  bool OpenUrl(const std::string& url) override {
    urls.push_back(url);
    return result;
  }
  bool StartProgram(const std::string& program, const std::string& arguments) override {
    programs.push_back(program + " " + arguments);
    return result;
  }
  bool StartScript(const std::string& path) override {
    scripts.push_back(path);
    if (on_script) on_script(path);
    return result;
  }
  std::vector<std::string> urls;
  std::vector<std::string> programs;
  std::vector<std::string> scripts;
  // Stands in for the script's run (a test writes the output the script would have written).
  std::function<void(const std::string& path)> on_script;
  bool result = true;
};

}  // namespace kivo
