// Starting things outside the program: a web page in the default browser, an external program
// (the media player, the system's network list). Fire and forget: nothing is waited for.
// Loop thread only. ScriptedShell records the calls for tests.
#pragma once

#include <string>
#include <vector>

namespace kivo {

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens |url| in the default browser. Returns false when it could not even be started.
  virtual bool OpenUrl(const std::string& url) = 0;
  // Starts |program| with |arguments| split on blanks (no quoting), detached. Returns false
  // when the program could not be started.
  virtual bool StartProgram(const std::string& program, const std::string& arguments) = 0;
  // The program OpenUrl starts, as a user would know it (for "could not start ..." lines).
  virtual std::string UrlOpener() const { return "the web browser"; }
};

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
  std::vector<std::string> urls;
  std::vector<std::string> programs;
  bool result = true;
};

// The real one: xdg-open for pages, fork/exec for programs (no shell involved).
class SystemShell : public Shell {
 public:
  bool OpenUrl(const std::string& url) override;
  bool StartProgram(const std::string& program, const std::string& arguments) override;
  std::string UrlOpener() const override { return "xdg-open"; }
};

}  // namespace kivo
