// The program's windows (main, Browse and Download, Network Status, Cameras) with their window
// logic, for the tests that check each renderer shows every component as the model says. A
// renderer test makes its own renderer over each of Windows(), compares, applies Change() and
// compares again.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "forms/browse_window.h"
#include "forms/cameras_window.h"
#include "forms/main_window.h"
#include "forms/net_window.h"
#include "platform/clock.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_shell.h"

namespace kivo::testing {

class EveryWindow {
 public:
  struct Window {
    ComponentModel* model;
    const char* form;
    const char* main_menu;
  };

  // The windows' program folder is a fresh one in the temporary folder, removed at the end.
  explicit EveryWindow(EventLoop& loop);
  ~EveryWindow();

  std::vector<Window> Windows();
  // Gives every component of every window other properties than it has, as a run does: new
  // captions, enabled and visible flipped, check marks flipped, rows, selections, values and a
  // picture. Calling it again changes them once more.
  void Change();

 private:
  std::string dir_;
  FakeClock clock_{41334.5};
  ScriptedDialogs dialogs_;
  ScriptedShell shell_;
  std::unique_ptr<TForm1> form_;
  std::unique_ptr<Tnet> net_;
  std::unique_ptr<TBrowseForm> browse_;
  std::unique_ptr<TCamerasForm> cameras_;
  int round_ = 0;
};

// Each difference on its own line, for a test's failure message.
std::string Lines(const std::vector<std::string>& differences);

}  // namespace kivo::testing
