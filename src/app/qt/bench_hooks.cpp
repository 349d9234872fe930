#include "app/qt/bench_hooks.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "forms/browse_texts.h"
#include "forms/browse_window.h"
#include "forms/main_window.h"

namespace kivo {
namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int kProbeMs = 5;
constexpr double kLateMs = 2.0;

double MsSince(SteadyClock::time_point since) {
  return std::chrono::duration<double, std::milli>(SteadyClock::now() - since).count();
}

}  // namespace

bool StartLoopGapProbe(const std::string& path, QObject* owner) {
  std::FILE* raw = std::fopen(path.c_str(), "a");
  if (raw == nullptr) return false;
  auto out = std::shared_ptr<std::FILE>(raw, &std::fclose);
  auto* timer = new QTimer(owner);  // owned by |owner|
  timer->setTimerType(Qt::PreciseTimer);
  timer->setInterval(kProbeMs);
  auto last = std::make_shared<SteadyClock::time_point>(SteadyClock::now());
  QObject::connect(timer, &QTimer::timeout, owner, [out, last] {
    const double late = MsSince(*last) - kProbeMs;
    *last = SteadyClock::now();
    if (late < kLateMs) return;
    // Wall-clock milliseconds, so that a shell script can compare them with `date +%s%3N`.
    const auto now_ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::system_clock::now().time_since_epoch()).count();
    std::fprintf(out.get(), "%lld %.1f\n", static_cast<long long>(now_ms), late);
    std::fflush(out.get());
  });
  timer->start();
  return true;
}

namespace {

// The window paints and flushes its frame while it handles an update request; a zero timer
// started then runs once that is done.
class FirstFrameFilter : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::UpdateRequest && !seen_) {
      seen_ = true;
      QTimer::singleShot(0, this, [] {
        const auto us = std::chrono::duration_cast<std::chrono::microseconds>(
                            std::chrono::system_clock::now().time_since_epoch()).count();
        std::fprintf(stderr, "first-frame %lld\n", static_cast<long long>(us));
        std::fflush(stderr);
        std::_Exit(0);
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool seen_ = false;
};

}  // namespace

void ExitAfterFirstFrame(QWidget* window) {
  window->installEventFilter(new FirstFrameFilter(window));  // owned by |window|
}

void SaveSettingsNow(TForm1& form) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::system_clock::now().time_since_epoch()).count();
  std::fprintf(stderr, "kivo: save at %lld\n", static_cast<long long>(ms));
  form.Model().Dispatch([&form] { form.SaveSettings(); });
}

void DownloadAllWhenListed(TBrowseForm& browse, QObject* owner, std::function<void()> done) {
  auto* timer = new QTimer(owner);
  timer->setInterval(20);
  auto started = std::make_shared<SteadyClock::time_point>();
  auto pressed = std::make_shared<bool>(false);
  QObject::connect(timer, &QTimer::timeout, owner, [&browse, timer, started, pressed, done] {
    const std::string& status = browse["BrowseStatus"].Caption();
    if (!*pressed) {
      if (!status.ends_with(browse_text::kFilesFound)) return;
      *pressed = true;
      *started = SteadyClock::now();
      browse.Model().Click("DownloadAllBtn");
      return;
    }
    if (!status.starts_with("Downloaded ")) return;
    timer->stop();
    std::fprintf(stderr, "kivo: download-all %zu files in %.3f s (%s)\n", browse.Items().size(),
                 MsSince(*started) / 1000, status.c_str());
    if (done) done();
  });
  timer->start();
}

}  // namespace kivo
