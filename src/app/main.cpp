// Kivo's entry point: application title, main window, loop. Closing the window (File > Exit,
// the window manager, or SIGTERM / SIGINT / SIGHUP at logout) saves the settings and ends the
// program.
#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>
#include <fcntl.h>

#include "app/bench_hooks.h"
#include "platform/clock.h"
#include "platform/program_dir.h"
#include "ui/qt/qt_dialogs.h"
#include "ui/qt/qt_event_loop.h"
#include "ui/qt/qt_main_window.h"
#include "platform/shell.h"
#include "forms/browse_window.h"
#include "forms/cameras_window.h"
#include "forms/main_window.h"
#include "forms/net_window.h"

namespace {

int signal_pipe[2] = {-1, -1};
volatile std::sig_atomic_t signals_seen = 0;

void OnSignal(int sig) {
  // The first signal closes the window from the loop (saving the settings); a second one ends
  // the program whatever it is doing, a modal box or a save that hangs included.
  signals_seen = signals_seen + 1;
  if (signals_seen >= 2) _exit(128 + sig);
  char byte = 1;
  [[maybe_unused]] ssize_t n = write(signal_pipe[1], &byte, 1);
}

struct Options {
  std::string screenshot;     // write a PNG of the window here ...
  int screenshot_delay = 8000;  // ... this many milliseconds after start
  int quit_after = 0;         // close the window after this many milliseconds (0: never)
  bool network_status = false;  // show the Network Status window too
  bool browse = false;          // open SD Card > Browse and Download at start
  bool cameras = false;         // open Options > Cameras at start
  std::string loop_gap_log;     // benchmark hook: log late turns of the loop here
  bool download_all = false;    // benchmark hook: Download All once the card is read, then quit
  bool exit_after_first_frame = false;  // benchmark hook: time to the first frame
  int save_after = 0;           // benchmark hook: save the settings once, after this many ms
};

void Usage(std::FILE* out) {
  std::fprintf(out,
      "Usage: kivo [--screenshot FILE.png] [--screenshot-delay MS] [--quit-after MS]\n"
      "            [--network-status] [--browse] [--cameras]\n"
      "  Remote control for a HERO3 / HERO3+ camera (or a HERO2 with its Wi-Fi BacPac).\n"
      "  Join the camera's Wi-Fi network first; settings are kept in Kivo.ini beside the\n"
      "  program, or in $XDG_CONFIG_HOME/kivo/ when it is installed (below /usr or /opt)\n"
      "  or its folder is not writable.\n"
      "  --screenshot FILE      save a picture of the window after --screenshot-delay ms\n"
      "  --quit-after MS        close the window (saving the settings) after MS ms\n"
      "  --network-status       also show the Network Status window (background requests)\n"
      "  --browse               also open SD Card > Browse and Download at start\n"
      "  --cameras              also open Options > Cameras (a rig of cameras) at start\n"
      "  --loop-gap-log FILE    (benchmarks) append every late turn of the event loop to FILE\n"
      "  --download-all         (benchmarks) with --browse: Download All once the card is\n"
      "                         read, print the time taken, and close\n"
      "  --exit-after-first-frame  (benchmarks) print the wall-clock time of the window's first\n"
      "                         frame in microseconds and end at once, saving nothing\n"
      "  --save-after MS        (benchmarks) save the settings after MS ms, as Options >\n"
      "                         IP Address > OK does, and say when on standard error\n"
      "  --help, --version      print this text, or the version, and exit\n"
      "  Qt's own options (-platform NAME, -display NAME, -style NAME ...) are passed on.\n"
      "  Environment: KIVO_WEB_HOST sets the host of the maker's web site.\n");
}

// Qt's own command-line options, which QApplication takes out; the second column says whether
// the option is followed by a value.
struct QtOption {
  const char* name;
  bool has_value;
};
constexpr QtOption kQtOptions[] = {
    {"platform", true},  {"platformpluginpath", true}, {"platformtheme", true},
    {"plugin", true},    {"qwindowgeometry", true},    {"qwindowicon", true},
    {"qwindowtitle", true}, {"display", true},         {"geometry", true},
    {"style", true},     {"stylesheet", true},         {"session", true},
    {"reverse", false},  {"nograb", false},            {"dograb", false},
    {"widgetcount", false}};

enum class ParseResult { kRun, kExit, kBadUsage };

// Reads the options before any GUI object exists, so that --help and --version work without a
// display. Qt's options are left in argv for QApplication.
ParseResult ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](int& out) {
      if (i + 1 >= argc) return false;
      out = std::atoi(argv[++i]);
      return true;
    };
    if (arg == "--help" || arg == "-h") {
      Usage(stdout);
      return ParseResult::kExit;
    } else if (arg == "--version") {
      std::printf("Kivo version %s\n", kivo::kProgramVersion);
      return ParseResult::kExit;
    } else if (arg == "--screenshot" && i + 1 < argc) {
      options.screenshot = argv[++i];
    } else if (arg == "--screenshot-delay") {
      if (!value(options.screenshot_delay)) return ParseResult::kBadUsage;
    } else if (arg == "--network-status") {
      options.network_status = true;
    } else if (arg == "--browse") {
      options.browse = true;
    } else if (arg == "--cameras") {
      options.cameras = true;
    } else if (arg == "--loop-gap-log" && i + 1 < argc) {
      options.loop_gap_log = argv[++i];
    } else if (arg == "--download-all") {
      options.download_all = true;
    } else if (arg == "--save-after") {
      if (!value(options.save_after)) return ParseResult::kBadUsage;
    } else if (arg == "--exit-after-first-frame") {
      options.exit_after_first_frame = true;
    } else if (arg == "--quit-after") {
      if (!value(options.quit_after)) return ParseResult::kBadUsage;
    } else {
      std::string name = arg.substr(arg.find_first_not_of('-') == std::string::npos
                                        ? arg.size()
                                        : arg.find_first_not_of('-'));
      const QtOption* qt = nullptr;
      for (const QtOption& o : kQtOptions) {
        if (arg[0] == '-' && name == o.name) qt = &o;
      }
      if (qt == nullptr) {
        std::fprintf(stderr, "kivo: unknown option %s\n", arg.c_str());
        return ParseResult::kBadUsage;
      }
      if (qt->has_value) ++i;
    }
  }
  return ParseResult::kRun;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  switch (ParseOptions(argc, argv, options)) {
    case ParseResult::kExit:
      return 0;
    case ParseResult::kBadUsage:
      Usage(stderr);
      return 2;
    case ParseResult::kRun:
      break;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName("Kivo");
  // No display name: X11 would append it to every window title, and the Wi-Fi monitor's
  // caption "Kivo - connected to ..." must read as it is.

  kivo::QtEventLoop loop;
  kivo::QtDialogs dialogs("Kivo");
  kivo::SystemShell shell;
  kivo::FormEnvironment env{loop, kivo::SystemClock::Instance(), dialogs, shell,
                            kivo::ProgramDir(), "/usr/bin/vlc",
                            kivo::ProgramDirReadOnlySource(),
                            kivo::ProgramFoldersInUse().logs, kivo::ProgramFoldersInUse().work};
  kivo::TForm1 form(env);
  // Closing on a signal (logout) has nobody to answer a box: a failure then goes to standard
  // error and the program still ends, with status 1.
  bool closing_on_signal = false;
  int exit_status = 0;
  form.Model().OnException = [&](const std::string& message) {
    if (closing_on_signal) {
      std::fprintf(stderr, "kivo: %s\n", message.c_str());
      exit_status = 1;
      return;
    }
    dialogs.MessageBox(message, kivo::MsgType::kError, kivo::MsgButtons::kOk);
  };
  form.FormCreate();
  // The request pool lives from here to the end of the run. Its window, and the Browse window,
  // are built when first shown: most runs never show them, and building them would cost the
  // start-up time and memory of two more windows.
  kivo::Tnet net(form);
  std::unique_ptr<kivo::QtMainWindow> net_window;
  auto show_net_window = [&] {
    if (!net_window) {
      net_window = std::make_unique<kivo::QtMainWindow>(net.Model(), "net", "NetMenu");
      net_window->OnEscape([&] { net.Model().Dispatch([&] { net.FormKeyEscape(); }); });
      net_window->on_close = [&] { net.Model().Dispatch([&] { net.FormClose(); }); };
    }
    net_window->ShowForm();
  };
  net.OnCloseRequest = [&] {
    if (net_window) net_window->close();
  };

  kivo::TBrowseForm browse(form);
  std::unique_ptr<kivo::QtMainWindow> browse_window;
  browse.OnCloseRequest = [&] {
    if (browse_window) browse_window->close();
  };
  form.OnBrowseDownload = [&] {
    if (!browse_window) {
      browse_window = std::make_unique<kivo::QtMainWindow>(browse.Model(), "Browse", "BrowseMenu");
      browse_window->OnEscape([&] { browse.Model().Dispatch([&] { browse.FormKeyEscape(); }); });
    }
    browse_window->ShowForm();
    browse_window->raise();
    browse.Model().Dispatch([&] { browse.Open(); });
  };

  // The Cameras window and everything it reads the cameras with are made at its first opening.
  std::unique_ptr<kivo::TCamerasForm> cameras;
  std::unique_ptr<kivo::QtMainWindow> cameras_window;
  form.OnCameras = [&] {
    if (!cameras) {
      cameras = std::make_unique<kivo::TCamerasForm>(form);
      cameras_window =
          std::make_unique<kivo::QtMainWindow>(cameras->Model(), "Cameras", "CamerasMenu");
      cameras_window->OnEscape([&] { cameras->Model().Dispatch([&] { cameras->FormKeyEscape(); }); });
      cameras_window->on_close = [&] { cameras->Model().Dispatch([&] { cameras->Close(); }); };
      cameras->OnCloseRequest = [&] { cameras_window->close(); };
    }
    cameras_window->ShowForm();
    cameras_window->raise();
    cameras->Model().Dispatch([&] { cameras->Open(); });
  };

  kivo::QtMainWindow window(form.Model(), "Form1", "MainMenu1");
  dialogs.SetParent(&window);
  bool closed = false;
  window.on_close = [&] {
    if (closed) return;
    closed = true;
    form.Model().Dispatch([&] { form.FormClose(); });
    loop.Quit(exit_status);
  };
  form.OnCloseRequest = [&] { window.close(); };

  if (pipe2(signal_pipe, O_CLOEXEC | O_NONBLOCK) == 0) {
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = OnSignal;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
    loop.WatchFd(signal_pipe[0], kivo::EventLoop::kRead, [&](unsigned) {
      char buf[16];
      while (read(signal_pipe[0], buf, sizeof buf) > 0) {
      }
      closing_on_signal = true;
      window.close();
    });
  }

  QRect screen = QGuiApplication::primaryScreen()
                     ? QGuiApplication::primaryScreen()->availableGeometry()
                     : QRect(0, 0, 1024, 768);
  form.Model().Dispatch([&] { form.FormShow(screen.x(), screen.y(), screen.width(), screen.height()); });
  if (options.exit_after_first_frame) kivo::ExitAfterFirstFrame(&window);
  window.ShowForm();
  if (options.network_status) show_net_window();
  if (options.browse) form.Model().Dispatch([&] { form.BrowseDownload1Click(); });
  if (options.cameras) form.Model().Dispatch([&] { form.Cameras1Click(); });

  if (!options.screenshot.empty()) {
    QTimer::singleShot(options.screenshot_delay, &window, [&] {
      QString path = QString::fromStdString(options.screenshot);
      if (!window.grab().save(path, "PNG"))
        std::fprintf(stderr, "kivo: could not write %s\n", options.screenshot.c_str());
      else
        std::fprintf(stderr, "kivo: screenshot written to %s\n", options.screenshot.c_str());
    });
  }
  if (!options.loop_gap_log.empty() &&
      !kivo::StartLoopGapProbe(options.loop_gap_log, &window)) {
    std::fprintf(stderr, "kivo: could not write %s\n", options.loop_gap_log.c_str());
  }
  static kivo::QtMainWindow* main_window = &window;
  if (options.download_all) {
    kivo::DownloadAllWhenListed(browse, &window, [] { main_window->close(); });
  }
  if (options.save_after > 0) {
    QTimer::singleShot(options.save_after, &window, [&] {
      kivo::SaveSettingsNow(form);
    });
  }
  if (options.quit_after > 0) QTimer::singleShot(options.quit_after, &window, [&] { window.close(); });
  const int code = loop.Run();  // closing the last window may end the loop with 0 first
  // Every settings save asked for is on disk before the program ends.
  form.Model().Dispatch([&] { form.FinishSaves(); });
  return exit_status != 0 ? exit_status : code;
}
