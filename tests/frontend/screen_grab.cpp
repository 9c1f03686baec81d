// Saves what the X display shows as a PNG file: the end-to-end test keeps pictures of the game
// it played, and they make the README's screenshots.

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zapwall-screen-grab OUT.png\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr || !screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "zapwall-screen-grab: cannot grab the screen into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
