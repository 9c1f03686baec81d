// SPDX-License-Identifier: GPL-3.0-or-later
// zapwall-assets ASSETS_DIR DATA_DIR
// Writes every picture, sound and the animation table of the game's data folder from the sources
// in ASSETS_DIR. The output is byte-identical on every run: nothing depends on the clock, every
// random texture has a fixed seed. Files the game itself writes (players.ko, hall.ko, tick.ko)
// and the level set are left alone.
//
// zapwall-assets --icons ICON_DIR SIZE...
// Writes the application icon in each size as ICON_DIR/zapwall-SIZE.png.
// zapwall-assets --tile-icons ICON_DIR SIZE...
// Writes the icon that fills its square (TileIcon) in each size as ICON_DIR/zapwall-tile-SIZE.png.

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSaveFile>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/asset_generator/animation_table.h"
#include "tools/asset_generator/icon.h"
#include "tools/asset_generator/pictures.h"
#include "tools/asset_generator/sound_effects.h"

using namespace ZapAssets;

namespace {

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        std::fprintf(stderr, "zapwall-assets: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// Pictures are PNG files without an extension; the game's loader knows them by their content.
bool WritePicture(const QDir& data, const QString& name, const QImage& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.convertToFormat(QImage::Format_RGB32).save(&buffer, "PNG")) {
        std::fprintf(stderr, "zapwall-assets: cannot encode picture %s\n", qPrintable(name));
        return false;
    }
    return WriteFile(data.filePath("pictures/" + name), bytes);
}

bool WriteIcons(const QDir& icons, const std::vector<int>& sizes, bool tiles) {
    bool ok = true;
    for (const int size : sizes) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        const QString name = QString(tiles ? "zapwall-tile-%1.png" : "zapwall-%1.png").arg(size);
        ok = (tiles ? TileIcon(size) : AppIcon(size)).save(&buffer, "PNG") &&
             WriteFile(icons.filePath(name), bytes) && ok;
    }
    return ok;
}

bool ReadText(const QString& path, std::string* text) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "zapwall-assets: cannot read %s\n", qPrintable(path));
        return false;
    }
    *text = file.readAll().toStdString();
    return true;
}

bool WritePictures(const QDir& data, const std::vector<AnimationSpec>& animations) {
    bool ok = WritePicture(data, "gui", GameScreen());
    const QImage fixed[] = {BatBody(), BatCap(), Ball()};
    for (int i = 0; i < 3; ++i) ok = WritePicture(data, QString("ko%1").arg(i + 1), fixed[i]) && ok;
    ok = WritePicture(data, "ko6", BrickSheet()) && ok;
    ok = WritePicture(data, "ko7", BonusSheet()) && ok;
    ok = WritePicture(data, "ko12", Wall()) && ok;
    ok = WritePicture(data, "ko13", PressedButton()) && ok;
    for (size_t i = 0; i < animations.size(); ++i) {
        const AnimationSpec& a = animations[i];
        ok = WritePicture(data, QString("ko%1").arg(a.sheet),
                          AnimationSheet(static_cast<int>(i), a)) &&
             ok;
    }
    return ok;
}

bool WriteSounds(const QDir& data) {
    bool ok = true;
    for (const NamedEffect& e : GameSoundEffects()) {
        const std::vector<uint8_t> wav = EncodeWav(Render(e.effect));
        const QByteArray bytes(reinterpret_cast<const char*>(wav.data()),
                               static_cast<qsizetype>(wav.size()));
        ok = WriteFile(data.filePath("sounds/" + QString::fromStdString(e.fileName)), bytes) && ok;
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    const bool tiles = argc >= 3 && std::string(argv[1]) == "--tile-icons";
    const bool icons = tiles || (argc >= 3 && std::string(argv[1]) == "--icons");
    if (!icons && argc != 3) {
        std::fprintf(stderr,
                     "usage: zapwall-assets ASSETS_DIR DATA_DIR\n"
                     "       zapwall-assets --icons ICON_DIR SIZE...\n"
                     "       zapwall-assets --tile-icons ICON_DIR SIZE...\n");
        return 2;
    }
    // Fonts need a GUI application; no display is used or wanted.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    if (icons) {
        std::vector<int> sizes;
        for (int i = 3; i < argc; ++i) {
            const int size = std::atoi(argv[i]);
            if (size < 16 || size > 1024) {
                std::fprintf(stderr, "zapwall-assets: icon size %s is not 16 to 1024\n", argv[i]);
                return 2;
            }
            sizes.push_back(size);
        }
        const QDir folder(QString::fromLocal8Bit(argv[2]));
        if (!folder.mkpath(".")) {
            std::fprintf(stderr, "zapwall-assets: cannot create %s\n", argv[2]);
            return 1;
        }
        return WriteIcons(folder, sizes, tiles) ? 0 : 1;
    }

    const QDir assets(QString::fromLocal8Bit(argv[1]));
    const QDir data(QString::fromLocal8Bit(argv[2]));

    std::string tableText, error;
    if (!ReadText(assets.filePath("animations.txt"), &tableText)) return 1;
    const std::vector<AnimationSpec> animations = ParseAnimationTable(tableText, &error);
    if (animations.empty()) {
        std::fprintf(stderr, "zapwall-assets: %s\n", error.c_str());
        return 1;
    }

    if (!data.mkpath("pictures") || !data.mkpath("sounds")) {
        std::fprintf(stderr, "zapwall-assets: cannot create %s\n", argv[2]);
        return 1;
    }
    const std::string table = FormatAnimationTable(animations);
    bool ok = WriteFile(data.filePath("animations.ko"), QByteArray::fromStdString(table));
    ok = WritePictures(data, animations) && ok;
    ok = WriteSounds(data) && ok;
    return ok ? 0 : 1;
}
