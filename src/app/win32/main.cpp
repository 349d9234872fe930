// kivo.exe's entry point: what only Windows has (the wide command line, COM, the work area,
// the folder note on the status bar, and the options its tests drive the window with); the run
// itself is app/app_wiring. Closing the window (File > Exit, the close box, or the end of the
// Windows session) saves the settings and ends the program.
// win32_dialogs.h first: it takes back the name MessageBox from <windows.h> for the dialogs.
#include "ui/win32/win32_dialogs.h"

#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/app_wiring.h"
#include "app/win32/test_hooks.h"
#include "media/error_log.h"
#include "platform/poll_event_loop.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/wifi_query_win32.h"
#include "ui/win32/win32_main_window.h"

namespace {

constexpr const char* kDefaultPlayer = "C:\\Program Files (x86)\\VideoLAN\\VLC\\vlc.exe";

constexpr kivo::UsageText kUsage{
    "kivo.exe", "bmp",
    "[--choose NAME@MS ...] [--select LIST=ROWS@MS ...] [--keys KEYS@MS ...]\n"
    "            [--dismiss MS ...] ",
    "%APPDATA%\\Kivo when it is installed or that folder is not writable",
    "                         (and of Browse and Download or Cameras, when open, as\n"
    "                         FILE-browse or FILE-cameras)\n",
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
    "  --rects WINDOW@MS      log where the window WINDOW (Form1, Browse, Cameras or\n"
    "                         net) and\n"
    "                         each control it shows are on the screen after MS ms\n"
    "  --wifi-query FILE      write the Wi-Fi state to FILE and exit (the Wi-Fi\n"
    "                         monitor's query script runs this)\n"};

// kivo.exe's own options: what its tests do to the window, and the Wi-Fi query.
struct TestOptions {
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

std::vector<std::string> Arguments() {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 0; i < count; ++i) args.push_back(kivo::win32::Utf8(wide[i]));
  LocalFree(wide);
  return args;
}

int TestOption(const std::vector<std::string>& args, size_t i, TestOptions& options) {
  const std::string& arg = args[i];
  if (i + 1 >= args.size()) return 0;
  const std::string& value = args[i + 1];
  if (arg == "--keys" || arg == "--choose" || arg == "--print" || arg == "--click" ||
      arg == "--rects") {
    const size_t at = value.rfind('@');
    if (at == std::string::npos) return 0;
    auto& list = arg == "--keys"    ? options.keys
                 : arg == "--print" ? options.prints
                 : arg == "--click" ? options.clicks
                 : arg == "--rects" ? options.rects
                                    : options.choices;
    list.emplace_back(value.substr(0, at), std::atoi(value.c_str() + at + 1));
  } else if (arg == "--dismiss") {
    options.dismissals.push_back(std::atoi(value.c_str()));
  } else if (arg == "--wifi-query") {
    options.wifi_answer = value;
  } else if (arg == "--select") {
    const size_t equals = value.find('=');
    const size_t at = value.find('@');
    if (equals == std::string::npos || at == std::string::npos || at < equals) return -1;
    TestOptions::Selection selection{value.substr(0, equals), {},
                                     std::atoi(value.c_str() + at + 1)};
    const std::string rows = value.substr(equals + 1, at - equals - 1);
    for (size_t p = 0; p < rows.size();) {
      const size_t comma = std::min(rows.find(',', p), rows.size());
      selection.rows.push_back(std::atoi(rows.substr(p, comma - p).c_str()));
      p = comma + 1;
    }
    options.selections.push_back(std::move(selection));
  } else {
    return 0;
  }
  return 2;
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

namespace {

// The windows made so far, by form name ("Form1", "Browse", "Cameras", "net").
using Windows = std::map<std::string, kivo::Win32MainWindow*>;

kivo::Win32MainWindow* Made(const Windows& windows, const std::string& name) {
  auto it = windows.find(name);
  return it == windows.end() ? nullptr : it->second;
}

// Pictures of the main window and of Browse and Download and Cameras when open, and their
// status bars.
void TakeScreenshots(const Windows& windows, const std::string& path) {
  auto shot_of = [&path](const char* suffix) {
    std::string file = path;
    const size_t dot = file.rfind('.');
    return file.insert(dot == std::string::npos ? file.size() : dot, suffix);
  };
  kivo::Win32MainWindow* window = Made(windows, "Form1");
  kivo::Win32MainWindow* browse = Made(windows, "Browse");
  const std::pair<kivo::Win32MainWindow*, std::string> shots[] = {
      {window, path},
      {browse, shot_of("-browse")},
      {Made(windows, "Cameras"), shot_of("-cameras")}};
  for (const auto& [shown, file] : shots) {
    if (shown == nullptr || !shown->Shown()) continue;
    // Raised first: the picture is taken from the screen.
    SetWindowPos(shown->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    RedrawWindow(shown->Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    if (shown->SaveScreenshot(file))
      std::fprintf(stderr, "kivo: screenshot written to %s\n", file.c_str());
    else
      std::fprintf(stderr, "kivo: could not write %s\n", file.c_str());
  }
  std::fprintf(stderr, "kivo: status bar: %s\n", window->StatusBarText().c_str());
  if (browse != nullptr && browse->Shown())
    std::fprintf(stderr, "kivo: browse status bar: %s\n", browse->StatusBarText().c_str());
}

// What the test options do to the running window, each at its time.
void ScheduleTestOptions(const TestOptions& options, const Windows& windows,
                         kivo::AppWindows& app) {
  kivo::TForm1& form = app.Form();
  for (const auto& [name, ms] : options.choices) {
    After(ms, [&windows, name = name] {
      bool chosen = windows.at("Form1")->ChooseMenuItem(name);
      for (const char* form_name : {"Form1", "Browse", "Cameras", "net"}) {
        kivo::Win32MainWindow* window = Made(windows, form_name);
        chosen = chosen || (window != nullptr && window->ClickControl(name));
      }
      if (!chosen) std::fprintf(stderr, "kivo: %s cannot be chosen now\n", name.c_str());
    });
  }
  for (const TestOptions::Selection& selection : options.selections) {
    After(selection.ms, [&windows, &selection] {
      bool selected = false;
      for (const char* form_name : {"Browse", "Cameras"}) {
        kivo::Win32MainWindow* window = Made(windows, form_name);
        selected = selected ||
                   (window != nullptr && window->SelectRows(selection.list, selection.rows));
      }
      if (!selected)
        std::fprintf(stderr, "kivo: %s cannot be selected now\n", selection.list.c_str());
    });
  }
  for (const auto& [keys, ms] : options.keys) TypeKeys(*windows.at("Form1"), keys, ms);
  for (int ms : options.dismissals) After(ms, [] { DismissDialogs(); });
  for (const auto& [name, ms] : options.clicks)
    After(ms, [&form, name = name] { form.Model().Click(name); });
  for (const auto& [name, ms] : options.prints) {
    After(ms, [&form, &app, name = name] {
      kivo::Component* c = form.Model().Find(name);
      if (c == nullptr && app.Cameras() != nullptr) c = app.Cameras()->Model().Find(name);
      if (c != nullptr)
        std::fprintf(stderr, "kivo: %s: %s\n", name.c_str(), c->Caption().c_str());
    });
  }
  for (const auto& [name, ms] : options.rects) {
    After(ms, [&windows, name = name] {
      if (kivo::Win32MainWindow* shown = Made(windows, name)) LogPlaces(name, *shown);
    });
  }
}

}  // namespace

int main() {
  kivo::AppOptions options;
  TestOptions test_options;
  const kivo::ParseResult parsed = kivo::ParseAppOptions(
      Arguments(), kUsage,
      [&test_options](const std::vector<std::string>& a, size_t i) {
        return TestOption(a, i, test_options);
      },
      options);
  if (const std::optional<int> status = kivo::ExitStatusBeforeRun(parsed, kUsage)) return *status;
  if (!test_options.wifi_answer.empty())
    return kivo::WriteWifiAnswer(test_options.wifi_answer) ? 0 : 1;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

  kivo::PollEventLoop loop;
  LoggedDialogs dialogs("Kivo");
  kivo::SystemShell shell;
  Windows windows;
  kivo::AppPlatform platform{
      loop, kivo::SystemClock::Instance(), dialogs, shell, kDefaultPlayer,
      kivo::ProgramFoldersInUse(), kivo::ProgramDirReadOnlySource(),
      [&windows](kivo::ComponentModel& model, const std::string& form, const std::string& menu,
                 kivo::WindowRole role) {
        auto window = std::make_unique<kivo::Win32MainWindow>(model, form, menu);
        window->hide_on_close = role == kivo::WindowRole::kSecondary;
        windows[form] = window.get();
        return std::unique_ptr<kivo::FormWindow>(std::move(window));
      },
      [](int ms, std::function<void()> task) { After(ms, std::move(task)); },
      [&windows](const std::string& path) { TakeScreenshots(windows, path); }};
  kivo::AppWindows app(std::move(platform), options);
  kivo::Win32MainWindow& window = *windows.at("Form1");
  dialogs.SetOwner(window.Handle());

  RECT work{0, 0, 1024, 768};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  app.before_net_window_shown = [&app, &work, &window](kivo::FormWindow&) {
    PlaceBeside(app.Net().Model()["net"], window.Handle(), work);
  };
  app.Show({work.left, work.top, work.right - work.left, work.bottom - work.top}, [&app] {
    // Without standard error, the window tells where the settings are when not beside kivo.exe.
    if (const std::string note = kivo::TakeProgramFolderNote(); !note.empty()) {
      app.Form().SetStatusText(ShortFolderNote(note, kivo::ProgramFoldersInUse().settings));
      try {
        kivo::AppendToErrorLog(kivo::ProgramFoldersInUse().logs + kivo::kErrorLogFileName,
                               WithBackslashes(note));
      } catch (const std::exception&) {  // the note says why the folder cannot be written
      }
    }
  });
  window.on_click_trace = [](const std::string& name) {
    std::fprintf(stderr, "kivo: clicked %s\n", name.c_str());
  };
  ScheduleTestOptions(test_options, windows, app);
  const int code = app.Run();
  CoUninitialize();
  return code;
}
