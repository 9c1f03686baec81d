// SPDX-License-Identifier: GPL-3.0-or-later
// The toolkit's own floor for frontend_bench: a Qt program that maps one empty window of the
// given size and nothing else. It prints the milliseconds from SPAWNED_NS (steady clock) to its
// first paint, then waits to be stopped.
//
// usage: bare_qt_window WIDTH HEIGHT SPAWNED_NS

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

class EmptyWindow : public QWidget {
  public:
    explicit EmptyWindow(long long spawnedNs) : spawnedNs_(spawnedNs) {}

  protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            const long long now = std::chrono::steady_clock::now().time_since_epoch().count();
            std::printf("%.3f\n", static_cast<double>(now - spawnedNs_) / 1e6);
            std::fflush(stdout);
        }
        return QWidget::event(event);
    }

  private:
    long long spawnedNs_;
    bool painted_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    QApplication app(argc, argv);
    EmptyWindow window(std::atoll(argv[3]));
    window.resize(std::atoi(argv[1]), std::atoi(argv[2]));
    window.show();
    return QApplication::exec();
}
