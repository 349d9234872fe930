// Starting things outside the program: a web page in the default browser, an external program
// (the media player, the system's network list), a script of the program's own run hidden (the
// Wi-Fi query). Fire and forget: nothing is waited for.
// Loop thread only.
#pragma once

#include <functional>
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
  // Runs the script file at |path| with the system's command interpreter, hidden (no window,
  // output discarded) and detached. Returns false when it could not be started; a shell that
  // cannot run scripts starts nothing.
  virtual bool StartScript(const std::string& path) {
    (void)path;
    return false;
  }
  // The program OpenUrl starts, as a user would know it (for "could not start ..." lines).
  virtual std::string UrlOpener() const { return "the web browser"; }
};

// The real one. On Linux: xdg-open for pages, fork/exec for programs (no shell involved),
// /bin/sh for scripts. On Windows: ShellExecute for pages and programs, cmd.exe for scripts.
class SystemShell : public Shell {
 public:
  bool OpenUrl(const std::string& url) override;
  bool StartProgram(const std::string& program, const std::string& arguments) override;
  bool StartScript(const std::string& path) override;
  std::string UrlOpener() const override;
};

}  // namespace kivo
