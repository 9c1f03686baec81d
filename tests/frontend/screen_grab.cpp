// SPDX-License-Identifier: GPL-3.0-or-later
// Saves what the X display shows as a picture, the whole screen or the rectangle given, in the
// format the file's name ends in (.png, or .ppm for bytes a script compares): the end-to-end
// tests look at the game they play with it and keep pictures of it, which make the README's
// screenshots.

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 2 && argc != 6) {
        std::fprintf(stderr, "usage: zapwall-screen-grab OUT.png|OUT.ppm [X Y WIDTH HEIGHT]\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    int place[4] = {0, 0, -1, -1};
    for (int i = 0; argc == 6 && i < 4; ++i) place[i] = std::atoi(argv[2 + i]);
    if (screen == nullptr || !screen->grabWindow(0, place[0], place[1], place[2], place[3])
                                  .save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "zapwall-screen-grab: cannot grab the screen into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
