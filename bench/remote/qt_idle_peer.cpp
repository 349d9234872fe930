// A bare Qt window whose only work is a clock label updated every second: what any desktop
// program with a ticking clock costs at rest. The at-rest benchmark measures Kivo against it.
#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char** argv) {
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
  window.show();
  return app.exec();
}
