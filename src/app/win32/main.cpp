// kivo.exe's entry point: application title, main window, loop. Closing the window (File > Exit,
// the close box, or the end of the Windows session) saves the settings and ends the program.
// The options below are for tests and screenshots; the program needs none.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
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
#include "forms/browse_window.h"
#include "forms/main_window.h"
#include "forms/net_window.h"

namespace {

constexpr const char* kDefaultPlayer = "C:\\Program Files (x86)\\VideoLAN\\VLC\\vlc.exe";

struct Options {
  std::string screenshot;       // write a BMP of the window here ...
  int screenshot_delay = 8000;  // ... this many milliseconds after start
  int quit_after = 0;           // close the window after this many milliseconds (0: never)
  bool network_status = false;  // show the Network Status window too
  bool browse = false;          // open SD Card > Browse and Download at start
  std::vector<std::pair<std::string, int>> choices;  // menu item or button, ms after start
  struct Selection {
    std::string list;
    std::vector<int> rows;
    int ms;
  };
  std::vector<Selection> selections;
};

void Usage() {
  std::fprintf(stderr,
               "Usage: kivo.exe [--screenshot FILE.bmp] [--screenshot-delay MS] [--quit-after MS]\n"
               "                [--choose NAME@MS ...] [--select LIST=ROWS@MS ...]\n"
               "                [--network-status] [--browse]\n"
               "  Remote control for a HERO3 / HERO3+ camera (or a HERO2 with its Wi-Fi BacPac).\n"
               "  Join the camera's Wi-Fi network first; settings are kept in Kivo.ini beside\n"
               "  kivo.exe.\n"
               "  --help, --version      print this text, or the version, and exit\n"
               "  --screenshot FILE      save a picture of the window after --screenshot-delay ms\n"
               "                         (and of Browse and Download, when open, as FILE-browse)\n"
               "  --quit-after MS        close the window (saving the settings) after MS ms\n"
               "  --choose NAME@MS       choose the menu item NAME (e.g. Video1) or press the\n"
               "                         button NAME after MS ms, as a user would; nothing\n"
               "                         happens when it is hidden or disabled\n"
               "  --select LIST=ROWS@MS  select the rows (e.g. 0,1) of the list LIST after MS ms\n"
               "  --network-status       also show the Network Status window\n"
               "  --browse               also open SD Card > Browse and Download at start\n"
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
    } else if (arg == "--browse") {
      options.browse = true;
    } else if (arg == "--select" && has_value) {
      const std::string value = args[++i];
      const size_t equals = value.find('=');
      const size_t at = value.find('@');
      if (equals == std::string::npos || at == std::string::npos || at < equals) return false;
      Options::Selection selection{value.substr(0, equals), {}, std::atoi(value.c_str() + at + 1)};
      const std::string rows = value.substr(equals + 1, at - equals - 1);
      for (size_t p = 0; p < rows.size();) {
        const size_t comma = std::min(rows.find(',', p), rows.size());
        selection.rows.push_back(std::atoi(rows.substr(p, comma - p).c_str()));
        p = comma + 1;
      }
      options.selections.push_back(std::move(selection));
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
                            kivo::ProgramDirReadOnlySource()};
  kivo::TForm1 form(env);
  form.Model().OnException = [&dialogs](const std::string& message) {
    dialogs.MessageBox(message, kivo::MsgType::kError, kivo::MsgButtons::kOk);
  };
  form.FormCreate();
  // The request pool and its window live from here to the end of the run.
  kivo::Tnet net(form);
  kivo::Win32MainWindow net_window(net.Model(), "net", "NetMenu");
  net_window.hide_on_close = true;
  net_window.OnEscape([&] { net.Model().Dispatch([&] { net.FormKeyEscape(); }); });
  net.OnCloseRequest = [&] { net_window.Close(); };

  kivo::TBrowseForm browse(form);
  kivo::Win32MainWindow browse_window(browse.Model(), "Browse", "BrowseMenu");
  browse_window.hide_on_close = true;
  browse_window.OnEscape([&] { browse.Model().Dispatch([&] { browse.FormKeyEscape(); }); });
  browse.OnCloseRequest = [&] { browse_window.Close(); };
  form.OnBrowseDownload = [&] {
    browse_window.ShowForm();
    SetForegroundWindow(browse_window.Handle());
    browse.Model().Dispatch([&] { browse.Open(); });
  };

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
  form.Model().Dispatch(
      [&] { form.FormShow(work.right - work.left, work.bottom - work.top); });
  window.ShowForm();
  if (options.network_status) net_window.ShowForm();
  if (options.browse) form.Model().Dispatch([&] { form.BrowseDownload1Click(); });

  if (!options.screenshot.empty()) {
    After(options.screenshot_delay, [&] {
      std::string browse_shot = options.screenshot;
      const size_t dot = browse_shot.rfind('.');
      browse_shot.insert(dot == std::string::npos ? browse_shot.size() : dot, "-browse");
      const std::pair<kivo::Win32MainWindow*, std::string> shots[] = {
          {&window, options.screenshot}, {&browse_window, browse_shot}};
      for (const auto& [shown, path] : shots) {
        if (!IsWindowVisible(shown->Handle())) continue;
        // Raised first: the picture is taken from the screen.
        SetWindowPos(shown->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        RedrawWindow(shown->Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
        if (shown->SaveScreenshot(path))
          std::fprintf(stderr, "kivo: screenshot written to %s\n", path.c_str());
        else
          std::fprintf(stderr, "kivo: could not write %s\n", path.c_str());
      }
      std::fprintf(stderr, "kivo: status bar: %s\n", window.StatusBarText().c_str());
      if (IsWindowVisible(browse_window.Handle()))
        std::fprintf(stderr, "kivo: browse status bar: %s\n",
                     browse_window.StatusBarText().c_str());
    });
  }
  for (const auto& [name, ms] : options.choices) {
    After(ms, [&window, &browse_window, &net_window, name = name] {
      if (!window.ChooseMenuItem(name) && !window.ClickControl(name) &&
          !browse_window.ClickControl(name) && !net_window.ClickControl(name))
        std::fprintf(stderr, "kivo: %s cannot be chosen now\n", name.c_str());
    });
  }
  for (const Options::Selection& selection : options.selections) {
    After(selection.ms, [&browse_window, &selection] {
      if (!browse_window.SelectRows(selection.list, selection.rows))
        std::fprintf(stderr, "kivo: %s cannot be selected now\n", selection.list.c_str());
    });
  }
  if (options.quit_after > 0) After(options.quit_after, [&] { window.Close(); });
  const int code = loop.Run();
  CoUninitialize();
  return code;
}
