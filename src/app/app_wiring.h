// One run of the window program, the same on every platform: the start-up order (settings, main
// window, request pool, Browse and Download, first show), which windows are made and how they
// are connected, what the common options do, and the end of the run. A platform's main() hands
// in only what is its own (loop, dialogs, shell, how a window is made, timers, the screen) and
// adds its own options around. A new window of the program is made and connected here. UI
// thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/app_options.h"
#include "forms/browse_window.h"
#include "forms/cameras_window.h"
#include "forms/main_window.h"
#include "forms/net_window.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/program_dir.h"
#include "platform/shell.h"
#include "ui/form_window.h"

namespace kivo {

// The main window ends the run when closed; any other is hidden, and kept for its next showing.
enum class WindowRole { kMain, kSecondary };

// The part of the screen a window may use (without panels and task bars).
struct ScreenArea {
  int left = 0;
  int top = 0;
  int width = 1024;
  int height = 768;
};

struct AppPlatform {
  EventLoop& loop;
  Clock& clock;
  Dialogs& dialogs;
  Shell& shell;
  std::string default_player;  // the preview player when the settings name none
  ProgramFolders folders;      // where the settings, logs and work files go
  std::string settings_source_dir;  // see FormEnvironment
  // Makes the platform's window for the form |form| of |model|, its menu bar |menu|.
  std::function<std::unique_ptr<FormWindow>(ComponentModel& model, const std::string& form,
                                            const std::string& menu, WindowRole role)>
      make_window;
  // Runs |task| once on the loop thread, |ms| milliseconds from now.
  std::function<void(int ms, std::function<void()> task)> after;
  // Saves a picture of the windows to |path| (--screenshot) and says so on standard error.
  std::function<void(const std::string& path)> screenshot;
};

class AppWindows {
 public:
  // Reads the settings and makes the main window (not shown yet).
  AppWindows(AppPlatform platform, AppOptions options);
  ~AppWindows();
  AppWindows(const AppWindows&) = delete;
  AppWindows& operator=(const AppWindows&) = delete;

  TForm1& Form() { return *form_; }
  Tnet& Net() { return *net_; }
  TBrowseForm& Browse() { return *browse_; }
  FormWindow& MainWindow() { return *main_window_; }
  // The other windows are made when first shown (most runs never show them): null until then.
  FormWindow* NetWindow() { return net_window_.get(); }
  FormWindow* BrowseWindow() { return browse_window_.get(); }
  // The Cameras window, and everything it reads the cameras with, is made at its first opening.
  TCamerasForm* Cameras() { return cameras_.get(); }
  FormWindow* CamerasWindow() { return cameras_window_.get(); }

  // Runs before the Network Status window is first shown, e.g. to place it.
  std::function<void(FormWindow& net_window)> before_net_window_shown;
  // |task| runs inside the first-show step, after the form has placed itself (a note for the
  // status bar, say).
  void Show(const ScreenArea& screen, const std::function<void()>& task = nullptr);
  void ShowNetWindow();
  // Closes the main window when nobody is there to answer a box (a signal at logout): a failure
  // then goes to standard error and the run ends with status 1.
  void CloseUnattended();
  // Runs the loop until the main window has closed; returns the program's exit status.
  int Run();

 private:
  FormWindow& SecondaryWindow(std::unique_ptr<FormWindow>& window, ComponentModel& model,
                              const std::string& form, const std::string& menu,
                              std::function<void()> on_escape);

  AppPlatform platform_;
  AppOptions options_;
  bool unattended_ = false;
  bool closed_ = false;
  int exit_status_ = 0;
  std::unique_ptr<TForm1> form_;
  std::unique_ptr<Tnet> net_;
  std::unique_ptr<TBrowseForm> browse_;
  std::unique_ptr<TCamerasForm> cameras_;
  std::unique_ptr<FormWindow> net_window_;
  std::unique_ptr<FormWindow> browse_window_;
  std::unique_ptr<FormWindow> cameras_window_;
  std::unique_ptr<FormWindow> main_window_;
};

}  // namespace kivo
