// SPDX-License-Identifier: GPL-3.0-or-later
// The level editor's window on the largest sets a levels.ko holds (16 MiB, about 1.4 million
// bricks), in two shapes: 32767 levels of 42 bricks, and 42 levels of 32767 bricks each, where
// every brick overlaps others. For each it prints the CPU time, median of the runs, that one
// click placing a brick, its undo, a click the grid refuses (off the field's whole cells), a new
// empty level (which the game would refuse), a title and a level's duplicate take, each until
// the window shows it. Offscreen:
//
//     QT_QPA_PLATFORM=offscreen ./build/editor_bench [--runs 5]

#include <QApplication>
#include <QMouseEvent>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "editor/editor_window.h"
#include "graphics/sprites.h"
#include "pictures/picture_loader.h"
#include "platform/disk_files.h"

using namespace ZapModule;

namespace {

double CpuMillis() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// A set of `levels` levels of `bricks` bricks, laid over the grid's cells row by row.
LevelSet LargestSet(int levels, int bricks) {
    LevelSet set;
    constexpr int kColumns = 24, kRows = 19;  // the field's whole cells
    for (int l = 0; l < levels; ++l) {
        EditorLevel level;
        for (int b = 0; b < bricks; ++b) {
            const int cell = (b + l) % (kColumns * kRows);
            level.push_back(MakeBrick(cell % kColumns * kCellWidth, cell / kColumns * kCellHeight,
                                      10, static_cast<int16_t>(1 + b % 3), 0, 0));
        }
        set.Levels.push_back(std::move(level));
        set.Titles.emplace_back();
    }
    return set;
}

void Click(EditorWindow& window, Qt::MouseButton button, int x, int y) {
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        const QPointF at(x, y);
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
        QMouseEvent event(type, at, window.Canvas()->mapToGlobal(at), button, held, {});
        QApplication::sendEvent(window.Canvas(), &event);
    }
    QApplication::processEvents();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 5;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--runs") runs = std::max(1, std::atoi(argv[i + 1]));
    QApplication app(argc, argv);
    GameState sprites;
    sprites.DataFolder = std::string(ZAPWALL_BUILD_DIR) + "/data";
    std::string failed;
    if (!LoadSprites(sprites, LoadPicture, &failed)) {
        std::fprintf(stderr, "editor_bench: %s cannot be loaded\n", failed.c_str());
        return 1;
    }
    const std::string folder = std::filesystem::temp_directory_path() / "zapwall-editor-bench";
    MakeFolders(folder);
    const struct {
        const char* Name;
        int Levels, Bricks;
    } shapes[] = {{"32767 levels x 42 bricks", 32767, 42}, {"42 levels x 32767 bricks", 42, 32767}};
    for (const auto& shape : shapes) {
        const std::string path = folder + "/levels.ko";
        ReplaceFile(path, EncodeLevelSet(LargestSet(shape.Levels, shape.Bricks)));
        EditorWindow window(sprites, PortableLayout(ZAPWALL_BUILD_DIR, sprites.DataFolder));
        window.QuietMessages = true;
        window.show();
        double before = CpuMillis();
        window.Open(QString::fromStdString(path));
        QApplication::processEvents();
        std::printf("%s: opening %.0f ms\n", shape.Name, CpuMillis() - before);
        const std::pair<const char*, std::function<void()>> actions[] = {
            {"click", [&] { Click(window, Qt::LeftButton, 465, 460); }},
            {"undo", [&] { window.Undo(); }},
            {"refused click", [&] { Click(window, Qt::LeftButton, 490, 5); }},
            {"empty level (refused)", [&] { window.AddLevel(); }},
            {"title", [&] { window.SetLevelTitle("Nová"); }},
            {"undo of the title", [&] { window.Undo(); }},
            {"duplicate", [&] { window.DuplicateLevel(); }},
            {"undo of the duplicate", [&] { window.Undo(); }},
        };
        for (const auto& [name, action] : actions) {
            std::vector<double> took;
            for (int run = 0; run < runs; ++run) {
                before = CpuMillis();
                action();
                QApplication::processEvents();
                took.push_back(CpuMillis() - before);
                // Each run starts from the opened set: an edit is taken back, an undo made again.
                if (std::string(name).starts_with("undo"))
                    window.Redo();
                else if (window.Session().CanUndo() && std::string(name) != "refused click")
                    window.Undo();
            }
            std::printf("  %-22s %7.1f ms\n", name, Median(took));
        }
    }
    std::filesystem::remove_all(folder);
    return 0;
}
