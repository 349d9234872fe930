// A bare Qt window whose only work is a clock label updated every second: what any desktop
// program with a ticking clock costs at rest. The at-rest benchmark measures Kivo against it.
//   --exit-after-first-frame   print "first-frame US" (wall-clock microseconds) once the window
//                              has painted its first frame, and end at once, as Kivo does
#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QLabel>
#include <QMainWindow>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

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

int main(int argc, char** argv) {
  bool first_frame = argc > 1 && std::strcmp(argv[1], "--exit-after-first-frame") == 0;
  QApplication app(argc, argv);
  QMainWindow window;
  auto* label = new QLabel(&window);
  window.setCentralWidget(label);
  window.resize(434, 245);
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [label] {
    label->setText(QDateTime::currentDateTime().toString("hh:mm:ss"));
  });
  timer.start(1000);
  if (first_frame) window.installEventFilter(new FirstFrameFilter(&window));
  window.show();
  return app.exec();
}
