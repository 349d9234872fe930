// kivo.exe's entry point: application title, main window, loop. Closing the window (File > Exit,
// the close box, or the end of the Windows session) saves the settings and ends the program.
// The options below are for tests and screenshots; the program needs none.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/poll_event_loop.h"
#include "platform/program_dir.h"
#include "platform/shell.h"
#include "ui/win32/win32_dialogs.h"
#include "ui/win32/win32_main_window.h"
#include "platform/win32/wide_text.h"
#include "forms/main_window.h"
#include "forms/net_window.h"

namespace {

constexpr const char* kDefaultPlayer = "C:\\Program Files (x86)\\VideoLAN\\VLC\\vlc.exe";

struct Options {
  std::string screenshot;       // write a BMP of the window here ...
  int screenshot_delay = 8000;  // ... this many milliseconds after start
  int quit_after = 0;           // close the window after this many milliseconds (0: never)
  bool network_status = false;  // show the Network Status window too
  std::vector<std::pair<std::string, int>> choices;  // menu item, milliseconds after start
};

void Usage() {
  std::fprintf(stderr,
               "Usage: kivo.exe [--screenshot FILE.bmp] [--screenshot-delay MS] [--quit-after MS]\n"
               "                [--choose MENUITEM@MS ...] [--network-status]\n"
               "  Remote control for a HERO3 / HERO3+ camera (or a HERO2 with its Wi-Fi BacPac).\n"
               "  Join the camera's Wi-Fi network first; settings are kept in Kivo.ini beside\n"
               "  kivo.exe, or in %%APPDATA%%\\Kivo when it is installed or that folder is not\n"
               "  writable.\n"
               "  --help, --version      print this text, or the version, and exit\n"
               "  --screenshot FILE      save a picture of the window after --screenshot-delay ms\n"
               "  --quit-after MS        close the window (saving the settings) after MS ms\n"
               "  --choose NAME@MS       choose the menu item NAME (e.g. Video1) after MS ms, as\n"
               "                         a user would; nothing happens when it is disabled\n"
               "  --network-status       also show the Network Status window\n"
               "  Environment: KIVO_WEB_HOST sets the host of the maker's web site.\n");
}

std::vector<std::string> Arguments() {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 0; i < count; ++i) args.push_back(kivo::win32::Utf8(wide[i]));
  LocalFree(wide);
  return args;
}

bool ParseOptions(const std::vector<std::string>& args, Options& options) {
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool has_value = i + 1 < args.size();
    if (arg == "--help" || arg == "-h") {
      Usage();
      std::exit(0);
    } else if (arg == "--version") {
      std::fprintf(stderr, "Kivo version %s\n", kivo::kProgramVersion);
      std::exit(0);
    } else if (arg == "--screenshot" && has_value) {
      options.screenshot = args[++i];
    } else if (arg == "--screenshot-delay" && has_value) {
      options.screenshot_delay = std::atoi(args[++i].c_str());
    } else if (arg == "--quit-after" && has_value) {
      options.quit_after = std::atoi(args[++i].c_str());
    } else if (arg == "--network-status") {
      options.network_status = true;
    } else if (arg == "--choose" && has_value) {
      const std::string value = args[++i];
      const size_t at = value.find('@');
      if (at == std::string::npos) return false;
      options.choices.emplace_back(value.substr(0, at), std::atoi(value.c_str() + at + 1));
    } else {
      std::fprintf(stderr, "kivo: unknown option %s\n", arg.c_str());
      return false;
    }
  }
  return true;
}

// One-shot thread timers; the loop's DispatchMessage runs their procedure.
std::map<UINT_PTR, std::function<void()>>& Pending() {
  static std::map<UINT_PTR, std::function<void()>> pending;
  return pending;
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  auto it = Pending().find(id);
  if (it == Pending().end()) return;
  auto task = std::move(it->second);
  Pending().erase(it);
  task();
}

void After(int ms, std::function<void()> task) {
  const UINT_PTR id = SetTimer(nullptr, 0, static_cast<UINT>(ms), &OnTimer);
  if (id != 0) Pending()[id] = std::move(task);
}

}  // namespace

int main() {
  Options options;
  if (!ParseOptions(Arguments(), options)) {
    Usage();
    return 2;
  }
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

  kivo::PollEventLoop loop;
  kivo::Win32Dialogs dialogs("Kivo");
  kivo::SystemShell shell;
  kivo::FormEnvironment env{loop, kivo::SystemClock::Instance(), dialogs, shell,
                            kivo::ProgramDir(), kDefaultPlayer,
                            kivo::ProgramDirReadOnlySource(),
                            kivo::ProgramFoldersInUse().logs, kivo::ProgramFoldersInUse().work};
  kivo::TForm1 form(env);
  form.Model().OnException = [&dialogs](const std::string& message) {
    dialogs.MessageBox(message, kivo::MsgType::kError, kivo::MsgButtons::kOk);
  };
  form.FormCreate();
  // Browse and Download has no Win32 window yet (its file list, progress bars and picture are
  // drawn by the Qt renderer only): the item stays out of the menu rather than doing nothing.
  form["BrowseDownload1"].SetVisible(false);
  // The request pool and its window live from here to the end of the run.
  kivo::Tnet net(form);
  kivo::Win32MainWindow net_window(net.Model(), "net", "NetMenu");
  net_window.hide_on_close = true;
  net_window.OnEscape([&] { net.Model().Dispatch([&] { net.FormKeyEscape(); }); });
  net.OnCloseRequest = [&] { net_window.Close(); };

  kivo::Win32MainWindow window(form.Model(), "Form1", "MainMenu1");
  dialogs.SetOwner(window.Handle());
  bool closed = false;
  window.on_close = [&] {
    if (closed) return;
    closed = true;
    form.Model().Dispatch([&] { form.FormClose(); });
    loop.Quit(0);
  };
  form.OnCloseRequest = [&] { window.Close(); };

  RECT work{0, 0, 1024, 768};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  form.Model().Dispatch([&] {
    form.FormShow(work.right - work.left, work.bottom - work.top);
    // Without standard error, the window tells where the settings are when not beside kivo.exe.
    if (const std::string note = kivo::TakeProgramFolderNote(); !note.empty())
      form.SetStatusText(note);
  });
  window.ShowForm();
  if (options.network_status) net_window.ShowForm();

  if (!options.screenshot.empty()) {
    After(options.screenshot_delay, [&] {
      if (window.SaveScreenshot(options.screenshot))
        std::fprintf(stderr, "kivo: screenshot written to %s\n", options.screenshot.c_str());
      else
        std::fprintf(stderr, "kivo: could not write %s\n", options.screenshot.c_str());
      std::fprintf(stderr, "kivo: status bar: %s\n", window.StatusBarText().c_str());
    });
  }
  for (const auto& [name, ms] : options.choices) {
    After(ms, [&window, name = name] {
      if (!window.ChooseMenuItem(name))
        std::fprintf(stderr, "kivo: %s cannot be chosen now\n", name.c_str());
    });
  }
  if (options.quit_after > 0) After(options.quit_after, [&] { window.Close(); });
  const int code = loop.Run();
  CoUninitialize();
  return code;
}
