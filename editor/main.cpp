// SPDX-License-Identifier: GPL-3.0-or-later
// zapwall-editor: the level editor. It reads the game's pictures from the data folder the game
// uses, and opens the level set file given on the command line, or starts a new set.

#include <QApplication>
#include <QMessageBox>
#include <iostream>
#include <optional>

#include "app/display_check.h"
#include "app/window_icon.h"
#include "editor/editor_window.h"
#include "frontend/czech_qt_texts.h"
#include "frontend/utf8_locale.h"
#include "graphics/sprites.h"
#include "layout/data_layout.h"
#include "model/version.h"
#include "pictures/picture_loader.h"

namespace {

constexpr int kRefusedArguments = 2;

const char* const kUsage =
    "usage: zapwall-editor [--help | --version | FILE]\n"
    "\n"
    "The Zapwall level editor. FILE is a level set: the level text (levels.txt) or a compiled\n"
    "levels.ko. Saving writes both, the text and levels.ko beside it.\n"
    "\n"
    "  -h, --help   print this text and exit\n"
    "  --version    print the version and exit\n";

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << kUsage;
        return 0;
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::cout << "zapwall-editor " << ZapModule::kVersion << "\n";
        return 0;
    }
    if (args.size() > 1 || (args.size() == 1 && args[0].starts_with('-'))) {
        std::cerr << "zapwall-editor: wrong arguments (zapwall-editor --help)\n";
        return kRefusedArguments;
    }

    ZapModule::UseUtf8Locale();
    if (const std::string_view problem = ZapModule::WindowProblem(); !problem.empty()) {
        std::cerr << "zapwall-editor: " << problem << "\n";
        return 1;
    }

    std::optional<ZapModule::FatalPlatformGuard> noDisplay(std::in_place);
    QApplication app(argc, argv);
    noDisplay.reset();
    // Qt's standard buttons and context menus speak Czech like the rest of the editor.
    ZapModule::InstallCzechQtTexts();
    QApplication::setPalette(ZapModule::EditorWindow::Colours());
    QApplication::setWindowIcon(ZapModule::WindowIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral(ZAPWALL_EDITOR_APP_ID));
    const ZapModule::DataLayout layout = ZapModule::GameLayout();
    ZapModule::GameState sprites;
    sprites.DataFolder = layout.DataFolder;
    std::string failed, why;
    if (!ZapModule::LoadSprites(sprites, ZapModule::LoadPicture, &failed, &why)) {
        QMessageBox::critical(
            nullptr, QString::fromUtf8("Editor úrovní Zapwall"),
            QString::fromUtf8("Obrázky hry nelze načíst: %1: %2")
                .arg(QString::fromStdString(failed), QString::fromStdString(why)));
        return 1;
    }
    ZapModule::EditorWindow window(sprites, layout);
    if (args.size() == 1) window.Open(QString::fromStdString(args[0]));
    window.PlaceOnScreen();
    window.show();
    return app.exec();
}
