// One 100 MiB GET through the request pool into its temporary file, with the main window shown
// (offscreen) and its status bar taking the rate line on every chunk; beside curl -o /dev/null
// on the same in-process loopback server in the same run. Prints figures and the ratio.
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_server.h"
#include "platform/clock.h"
#include "support/scripted_dialogs.h"
#include "ui/qt/qt_event_loop.h"
#include "ui/qt/qt_main_window.h"
#include "support/scripted_shell.h"
#include "forms/main_window.h"
#include "forms/net_window.h"

namespace {

using Steady = std::chrono::steady_clock;
constexpr std::size_t kSize = 100u << 20;
constexpr int kRepeats = 5;

double MiBps(double seconds) { return kSize / seconds / (1 << 20); }
double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

std::vector<double> Curl(const std::string& url, const std::string& output) {
  std::vector<double> out;
  for (int i = 0; i < kRepeats; ++i) {
    std::string command = "curl -s -o " + output + " -w '%{time_total}\\n' " + url;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) break;
    char line[64];
    if (std::fgets(line, sizeof line, pipe)) out.push_back(std::atof(line));
    pclose(pipe);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  kivo::bench::BenchServer server(kSize);
  std::string url = server.Url("/big");
  std::string dir = (std::filesystem::temp_directory_path() / "kivo-pool-bench/").string();
  std::filesystem::create_directories(dir);

  kivo::QtEventLoop loop;
  kivo::ScriptedDialogs dialogs;
  kivo::ScriptedShell shell;
  kivo::TForm1 form({loop, kivo::SystemClock::Instance(), dialogs, shell, dir, "/usr/bin/vlc"});
  form.FormCreate();
  // Only the pool is measured: no polls, no pings.
  form.BacPacStatusTimer->SetEnabled(false);
  form.ClockTimer->SetEnabled(false);
  kivo::Tnet net(form);
  long long status_changes = 0;
  form.Model().Subscribe([&](kivo::Component& c, kivo::Property p) {
    if (c.Name() == "StatusBar" && p == kivo::Property::kCaption) ++status_changes;
  });

  auto series = [&] {
  std::vector<double> pool;
  for (int i = 0; i < kRepeats; ++i) {
    std::uint16_t error = 0xFFFF;
    std::string file;
    auto start = Steady::now();
    net.GetURL(url, [&](const std::string&, const std::string& f, std::uint16_t e) {
      error = e;
      file = f;
      loop.Quit(0);
    });
    loop.Run();
    pool.push_back(std::chrono::duration<double>(Steady::now() - start).count());
    std::error_code ec;
    auto size = std::filesystem::file_size(file, ec);
    if (error != 0 || size != kSize)
      std::printf("  !! pool: error %u, %llu bytes\n", error, static_cast<unsigned long long>(size));
    std::filesystem::remove(file, ec);
  }
  return pool;
  };
  // First with nothing drawing the window, then with the real window showing every line.
  std::vector<double> headless = series();
  kivo::QtMainWindow window(form.Model(), "Form1", "MainMenu1");
  window.ShowForm();
  status_changes = 0;
  std::vector<double> pool = series();
  std::vector<double> curl = Curl(url, "/dev/null");
  // The pool must store what it receives; curl storing it too shows what the disk costs.
  std::vector<double> curl_file = Curl(url, dir + "curl.out");

  std::printf("100 MiB GET on loopback, %d runs each\n", kRepeats);
  std::printf("  pool + file, no window       median %.3f s  %6.0f MiB/s\n", Median(headless),
              MiBps(Median(headless)));
  std::printf("  pool + file + Qt status bar  median %.3f s  %6.0f MiB/s  (%lld status-bar texts)\n",
              Median(pool), MiBps(Median(pool)), status_changes);
  std::printf("  status bar now: \"%s\"\n", form["StatusBar"].Caption().c_str());
  if (curl.empty()) {
    std::printf("  curl not found: no peer figure\n");
  } else {
    std::printf("  curl -s -o /dev/null         median %.3f s  %6.0f MiB/s\n", Median(curl),
                MiBps(Median(curl)));
    std::printf("  curl -s -o FILE              median %.3f s  %6.0f MiB/s\n", Median(curl_file),
                MiBps(Median(curl_file)));
    std::printf("  ratio pool / curl -o /dev/null (throughput) %.2fx\n", Median(curl) / Median(pool));
    std::printf("  ratio pool / curl -o FILE (throughput)      %.2fx\n",
                Median(curl_file) / Median(pool));
  }
  std::filesystem::remove_all(dir);
  return 0;
}
