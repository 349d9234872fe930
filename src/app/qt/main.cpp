// Kivo's entry point on Linux (Qt): its own options (the benchmark hooks, Qt's options), the
// signals that close the window at logout, and the screen; the run itself is app/app_wiring.
// SIGTERM, SIGINT and SIGHUP close the window as File > Exit does, saving the settings.
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>
#include <fcntl.h>

#include "app/app_wiring.h"
#include "app/qt/bench_hooks.h"
#include "ui/qt/qt_dialogs.h"
#include "ui/qt/qt_event_loop.h"
#include "ui/qt/qt_main_window.h"

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

// The benchmark hooks (bench/stall, bench/startup).
struct BenchOptions {
  std::string loop_gap_log;     // log late turns of the loop here
  bool download_all = false;    // Download All once the card is read, then quit
  bool exit_after_first_frame = false;  // time to the first frame
  int save_after = 0;           // save the settings once, after this many ms
};

constexpr kivo::UsageText kUsage{
    "kivo", "png", "",
    "$XDG_CONFIG_HOME/kivo/ when it is installed (below /usr or /opt)\n"
    "  or its folder is not writable",
    "",
    "  --loop-gap-log FILE    (benchmarks) append every late turn of the event loop to FILE\n"
    "  --download-all         (benchmarks) with --browse: Download All once the card is\n"
    "                         read, print the time taken, and close\n"
    "  --exit-after-first-frame  (benchmarks) print the wall-clock time of the window's first\n"
    "                         frame in microseconds and end at once, saving nothing\n"
    "  --save-after MS        (benchmarks) save the settings after MS ms, as Options >\n"
    "                         IP Address > OK does, and say when on standard error\n"
    "  Qt's own options (-platform NAME, -display NAME, -style NAME ...) are passed on.\n"};

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

// The benchmark hooks and Qt's options (left in argv for QApplication).
int BenchOrQtOption(const std::vector<std::string>& args, size_t i, BenchOptions& bench) {
  const std::string& arg = args[i];
  const bool has_value = i + 1 < args.size();
  if (arg == "--loop-gap-log") {
    if (!has_value) return -1;
    bench.loop_gap_log = args[i + 1];
    return 2;
  }
  if (arg == "--save-after") {
    if (!has_value) return -1;
    bench.save_after = std::atoi(args[i + 1].c_str());
    return 2;
  }
  if (arg == "--download-all" || arg == "--exit-after-first-frame") {
    (arg == "--download-all" ? bench.download_all : bench.exit_after_first_frame) = true;
    return 1;
  }
  const size_t start = arg.find_first_not_of('-');
  if (arg.empty() || arg[0] != '-' || start == std::string::npos) return 0;
  for (const QtOption& o : kQtOptions) {
    if (arg.compare(start, std::string::npos, o.name) == 0) return o.has_value ? 2 : 1;
  }
  return 0;
}

void WatchSignals(kivo::EventLoop& loop, kivo::AppWindows& app) {
  if (pipe2(signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  struct sigaction sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sa_handler = OnSignal;
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
  loop.WatchFd(signal_pipe[0], kivo::EventLoop::kRead, [&app](unsigned) {
    char buf[16];
    while (read(signal_pipe[0], buf, sizeof buf) > 0) {
    }
    app.CloseUnattended();
  });
}

}  // namespace

int main(int argc, char** argv) {
  // Read before any GUI object exists, so that --help and --version work without a display.
  kivo::AppOptions options;
  BenchOptions bench;
  const std::vector<std::string> args(argv, argv + argc);
  const kivo::ParseResult parsed = kivo::ParseAppOptions(
      args, kUsage,
      [&bench](const std::vector<std::string>& a, size_t i) { return BenchOrQtOption(a, i, bench); },
      options);
  if (const std::optional<int> status = kivo::ExitStatusBeforeRun(parsed, kUsage)) return *status;
  QApplication application(argc, argv);
  QApplication::setApplicationName("Kivo");
  // No display name: X11 would append it to every window title, and the Wi-Fi monitor's
  // caption "Kivo - connected to ..." must read as it is.

  kivo::QtEventLoop loop;
  kivo::QtDialogs dialogs("Kivo");
  kivo::SystemShell shell;
  kivo::QtMainWindow* main_window = nullptr;
  kivo::AppPlatform platform{
      loop, kivo::SystemClock::Instance(), dialogs, shell, "/usr/bin/vlc",
      kivo::ProgramFoldersInUse(), kivo::ProgramDirReadOnlySource(),
      [&main_window](kivo::ComponentModel& model, const std::string& form,
                     const std::string& menu, kivo::WindowRole role) {
        auto window = std::make_unique<kivo::QtMainWindow>(model, form, menu);
        if (role == kivo::WindowRole::kMain) main_window = window.get();
        return std::unique_ptr<kivo::FormWindow>(std::move(window));
      },
      [&main_window](int ms, std::function<void()> task) {
        QTimer::singleShot(ms, main_window, std::move(task));
      },
      [&main_window](const std::string& path) {
        if (!main_window->grab().save(QString::fromStdString(path), "PNG"))
          std::fprintf(stderr, "kivo: could not write %s\n", path.c_str());
        else
          std::fprintf(stderr, "kivo: screenshot written to %s\n", path.c_str());
      }};
  kivo::AppWindows app(std::move(platform), options);
  dialogs.SetParent(main_window);
  WatchSignals(loop, app);

  if (bench.exit_after_first_frame) kivo::ExitAfterFirstFrame(main_window);
  const QRect screen = QGuiApplication::primaryScreen()
                           ? QGuiApplication::primaryScreen()->availableGeometry()
                           : QRect(0, 0, 1024, 768);
  app.Show({screen.x(), screen.y(), screen.width(), screen.height()});

  if (!bench.loop_gap_log.empty() && !kivo::StartLoopGapProbe(bench.loop_gap_log, main_window))
    std::fprintf(stderr, "kivo: could not write %s\n", bench.loop_gap_log.c_str());
  if (bench.download_all)
    kivo::DownloadAllWhenListed(app.Browse(), main_window, [main_window] { main_window->close(); });
  if (bench.save_after > 0) {
    QTimer::singleShot(bench.save_after, main_window,
                       [&app] { kivo::SaveSettingsNow(app.Form()); });
  }
  return app.Run();
}
