// kivo.exe's entry point: application title, main window, loop. Closing the window (File > Exit,
// the close box, or the end of the Windows session) saves the settings and ends the program.
// The options below are for tests and screenshots; the program needs none.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "media/error_log.h"
#include "platform/clock.h"
#include "platform/poll_event_loop.h"
#include "platform/program_dir.h"
#include "platform/shell.h"
#include "app/win32/test_hooks.h"
#include "ui/win32/win32_dialogs.h"
#include "ui/win32/win32_main_window.h"
#include "platform/win32/wide_text.h"
#include "forms/browse_window.h"
#include "forms/cameras_window.h"
#include "platform/win32/wifi_query_win32.h"
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
  bool cameras = false;         // open Options > Cameras at start
  std::vector<std::pair<std::string, int>> choices;  // menu item or button, ms after start
  struct Selection {
    std::string list;
    std::vector<int> rows;
    int ms;
  };
  std::vector<Selection> selections;
  std::vector<std::pair<std::string, int>> keys;     // keys to type, milliseconds after start
  std::vector<int> dismissals;  // close the open message box or dialog at these times
  std::vector<std::pair<std::string, int>> prints;  // components whose caption to log
  std::vector<std::pair<std::string, int>> clicks;  // components to click, even hidden ones
  std::vector<std::pair<std::string, int>> rects;   // windows whose controls' places to log
  std::string wifi_answer;      // --wifi-query: write the Wi-Fi answer here and end
};

void Usage() {
  std::fprintf(stderr,
               "Usage: kivo.exe [--screenshot FILE.bmp] [--screenshot-delay MS] [--quit-after MS]\n"
               "                [--choose NAME@MS ...] [--select LIST=ROWS@MS ...] [--keys KEYS@MS ...]\n"
               "                [--dismiss MS ...] [--network-status] [--browse] [--cameras]\n"
               "  Remote control for a HERO3 / HERO3+ camera (or a HERO2 with its Wi-Fi BacPac).\n"
               "  Join the camera's Wi-Fi network first; settings are kept in Kivo.ini beside\n"
               "  kivo.exe, or in %%APPDATA%%\\Kivo when it is installed or that folder is not\n"
               "  writable.\n"
               "  --help, --version      print this text, or the version, and exit\n"
               "  --screenshot FILE      save a picture of the window after --screenshot-delay ms\n"
               "                         (and of Browse and Download or Cameras, when open, as\n"
               "                         FILE-browse or FILE-cameras)\n"
               "  --quit-after MS        close the window (saving the settings) after MS ms\n"
               "  --choose NAME@MS       choose the menu item NAME (e.g. Video1) or press the\n"
               "                         button NAME after MS ms, as a user would; nothing\n"
               "                         happens when it is hidden or disabled\n"
               "  --select LIST=ROWS@MS  select the rows (e.g. 0,1) of the list LIST after MS ms\n"
               "  --keys KEYS@MS         type KEYS (Tab, Space, Enter, Escape, Down, Alt+LETTER\n"
               "                         to open a menu, Alt; blank-separated)\n"
               "                         into the window after MS ms; the focus is logged\n"
               "  --dismiss MS           close the open message box or dialog after MS ms\n"
               "  --print NAME@MS        log the caption of the component NAME (of the main\n"
               "                         window, else of Cameras) after MS ms\n"
               "  --click NAME@MS        click the component NAME after MS ms (for tests: even\n"
               "                         a diagnostic button the window does not show)\n"
               "  --rects WINDOW@MS      log where the window WINDOW (Form1, Browse or net) and\n"
               "                         each control it shows are on the screen after MS ms\n"
               "  --network-status       also show the Network Status window\n"
               "  --browse               also open SD Card > Browse and Download at start\n"
               "  --cameras              also open Options > Cameras (a rig of cameras) at start\n"
               "  --wifi-query FILE      write the Wi-Fi state to FILE and exit (the Wi-Fi\n"
               "                         monitor's query script runs this)\n"
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
    } else if ((arg == "--keys" || arg == "--choose" || arg == "--print" || arg == "--click" ||
                arg == "--rects") &&
               has_value &&
               args[i + 1].find('@') != std::string::npos) {
      const std::string value = args[++i];
      const size_t at = value.rfind('@');
      auto& list = arg == "--keys"    ? options.keys
                   : arg == "--print" ? options.prints
                   : arg == "--click" ? options.clicks
                   : arg == "--rects" ? options.rects
                                      : options.choices;
      list.emplace_back(value.substr(0, at), std::atoi(value.c_str() + at + 1));
    } else if (arg == "--dismiss" && has_value) {
      options.dismissals.push_back(std::atoi(args[++i].c_str()));
    } else if (arg == "--wifi-query" && has_value) {
      options.wifi_answer = args[++i];
    } else if (arg == "--network-status") {
      options.network_status = true;
    } else if (arg == "--browse") {
      options.browse = true;
    } else if (arg == "--cameras") {
      options.cameras = true;
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
    } else {
      std::fprintf(stderr, "kivo: unknown option %s\n", arg.c_str());
      return false;
    }
  }
  return true;
}

// The dialogs, each message box also told on standard error (which a user never sees) for the
// tests that run kivo.exe.
class LoggedDialogs : public kivo::Win32Dialogs {
 public:
  using Win32Dialogs::Win32Dialogs;
  kivo::MsgResult MessageBox(const std::string& text, kivo::MsgType type,
                             kivo::MsgButtons buttons) override {
    std::fprintf(stderr, "kivo: message box: %s\n", text.c_str());
    return Win32Dialogs::MessageBox(text, type, buttons);
  }
};

// Without a saved place the Network Status window opens beside the main window rather than
// over its menus: to its left where the work area has room, else to its right.
void PlaceBeside(kivo::Component& net_form, HWND main_window, const RECT& work) {
  const kivo::Bounds& b = net_form.GetBounds();
  if (b.left != 45 || b.top != 45) return;  // a place the user gave it
  RECT main{};
  GetWindowRect(main_window, &main);
  RECT frame{0, 0, b.width, b.height};
  AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, TRUE, 0);
  const int width = frame.right - frame.left;
  const int left = main.left - width >= work.left ? main.left - width : main.right;
  net_form.SetBounds({std::min(left, static_cast<int>(work.right) - width),
                      static_cast<int>(main.top), b.width, b.height});
}

std::string WithBackslashes(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

// The status bar's word on where the settings are when they are not beside kivo.exe: short
// enough to read in the window before the camera's state replaces it, the folder written as
// Windows users type it (%APPDATA%\Kivo). The whole note, every folder named, is logged.
std::string ShortFolderNote(const std::string& note, const std::string& settings_dir) {
  std::string dir = settings_dir;
  if (!dir.empty() && dir.back() == '/') dir.pop_back();
  std::string app_data = kivo::EnvironmentVariable("APPDATA");
  std::replace(app_data.begin(), app_data.end(), '\\', '/');
  while (!app_data.empty() && app_data.back() == '/') app_data.pop_back();
  if (!app_data.empty() && kivo::IsInsideDir(dir, app_data))
    dir = "%APPDATA%" + dir.substr(app_data.size());
  if (note.find("cannot create") != std::string::npos)
    return "Settings cannot be saved: " + WithBackslashes(dir) + " cannot be created";
  return "Settings are kept in " + WithBackslashes(dir);
}

}  // namespace

using kivo::app::After;
using kivo::app::DismissDialogs;
using kivo::app::LogPlaces;
using kivo::app::TypeKeys;

int main() {
  Options options;
  if (!ParseOptions(Arguments(), options)) {
    Usage();
    return 2;
  }
  if (!options.wifi_answer.empty()) return kivo::WriteWifiAnswer(options.wifi_answer) ? 0 : 1;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

  kivo::PollEventLoop loop;
  LoggedDialogs dialogs("Kivo");
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
  // The request pool and its window live from here to the end of the run.
  kivo::Tnet net(form);
  kivo::Win32MainWindow net_window(net.Model(), "net", "NetMenu");
  net_window.hide_on_close = true;
  net_window.OnEscape([&] { net.Model().Dispatch([&] { net.FormKeyEscape(); }); });
  net.OnCloseRequest = [&] { net_window.Close(); };
  // Closing it saves its position; at logoff every window hears of the end, and one that was
  // never shown has not been closed.
  net_window.on_close = [&] {
    if (IsWindowVisible(net_window.Handle())) net.Model().Dispatch([&] { net.FormClose(); });
  };

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

  // The Cameras window and everything it reads the cameras with are made at its first opening.
  std::unique_ptr<kivo::TCamerasForm> cameras;
  std::unique_ptr<kivo::Win32MainWindow> cameras_window;
  form.OnCameras = [&] {
    if (!cameras) {
      cameras = std::make_unique<kivo::TCamerasForm>(form);
      cameras_window =
          std::make_unique<kivo::Win32MainWindow>(cameras->Model(), "Cameras", "CamerasMenu");
      cameras_window->hide_on_close = true;
      cameras_window->OnEscape([&] { cameras->Model().Dispatch([&] { cameras->FormKeyEscape(); }); });
      cameras_window->on_close = [&] { cameras->Model().Dispatch([&] { cameras->Close(); }); };
      cameras->OnCloseRequest = [&] { cameras_window->Close(); };
    }
    cameras_window->ShowForm();
    SetForegroundWindow(cameras_window->Handle());
    cameras->Model().Dispatch([&] { cameras->Open(); });
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
  form.Model().Dispatch([&] {
    form.FormShow(work.right - work.left, work.bottom - work.top);
    // Without standard error, the window tells where the settings are when not beside kivo.exe.
    if (const std::string note = kivo::TakeProgramFolderNote(); !note.empty()) {
      form.SetStatusText(ShortFolderNote(note, kivo::ProgramFoldersInUse().settings));
      try {
        kivo::AppendToErrorLog(kivo::ProgramFoldersInUse().logs + kivo::kErrorLogFileName,
                               WithBackslashes(note));
      } catch (const std::exception&) {  // the note says why the folder cannot be written
      }
    }
  });
  window.ShowForm();
  if (options.network_status) {
    PlaceBeside(net.Model()["net"], window.Handle(), work);
    net_window.ShowForm();
  }
  window.on_click_trace = [](const std::string& name) {
    std::fprintf(stderr, "kivo: clicked %s\n", name.c_str());
  };
  if (options.browse) form.Model().Dispatch([&] { form.BrowseDownload1Click(); });
  if (options.cameras) form.Model().Dispatch([&] { form.Cameras1Click(); });

  if (!options.screenshot.empty()) {
    After(options.screenshot_delay, [&] {
      auto shot_of = [&](const char* suffix) {
        std::string path = options.screenshot;
        const size_t dot = path.rfind('.');
        return path.insert(dot == std::string::npos ? path.size() : dot, suffix);
      };
      const std::pair<kivo::Win32MainWindow*, std::string> shots[] = {
          {&window, options.screenshot},
          {&browse_window, shot_of("-browse")},
          {cameras_window.get(), shot_of("-cameras")}};
      for (const auto& [shown, path] : shots) {
        if (!shown || !IsWindowVisible(shown->Handle())) continue;
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
    After(ms, [&window, &browse_window, &net_window, &cameras_window, name = name] {
      if (!window.ChooseMenuItem(name) && !window.ClickControl(name) &&
          !browse_window.ClickControl(name) && !net_window.ClickControl(name) &&
          !(cameras_window && cameras_window->ClickControl(name)))
        std::fprintf(stderr, "kivo: %s cannot be chosen now\n", name.c_str());
    });
  }
  for (const Options::Selection& selection : options.selections) {
    After(selection.ms, [&browse_window, &cameras_window, &selection] {
      if (!browse_window.SelectRows(selection.list, selection.rows) &&
          !(cameras_window && cameras_window->SelectRows(selection.list, selection.rows)))
        std::fprintf(stderr, "kivo: %s cannot be selected now\n", selection.list.c_str());
    });
  }
  for (const auto& [keys, ms] : options.keys) TypeKeys(window, keys, ms);
  for (int ms : options.dismissals) After(ms, [] { DismissDialogs(); });
  for (const auto& [name, ms] : options.clicks)
    After(ms, [&form, name = name] { form.Model().Click(name); });
  for (const auto& [name, ms] : options.prints) {
    After(ms, [&form, &cameras, name = name] {
      kivo::Component* c = form.Model().Find(name);
      if (!c && cameras) c = cameras->Model().Find(name);
      if (c) std::fprintf(stderr, "kivo: %s: %s\n", name.c_str(), c->Caption().c_str());
    });
  }
  const std::map<std::string, const kivo::Win32MainWindow*> windows = {
      {"Form1", &window}, {"Browse", &browse_window}, {"net", &net_window}};
  for (const auto& [name, ms] : options.rects) {
    After(ms, [&windows, name = name] {
      auto it = windows.find(name);
      if (it == windows.end()) return;
      LogPlaces(name, *it->second);
    });
  }
  if (options.quit_after > 0) After(options.quit_after, [&] { window.Close(); });
  const int code = loop.Run();
  CoUninitialize();
  return code;
}
