// SPDX-License-Identifier: GPL-3.0-or-later
// Zapwall: the entry routine. Everything the program is lives in Program; main reads the command
// line, makes the Qt application around the program, keeps other copies away from the player's
// files and hands over to Qt's event loop while the game screen is up.

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>
#include <QTemporaryFile>
#include <iostream>
#include <optional>

#include "app/command_line.h"
#include "app/display_check.h"
#include "app/program.h"
#include "app/published_set_download.h"
#include "app/startup_preload.h"
#include "app/window_icon.h"
#include "frontend/utf8_locale.h"
#include "frontend/wayland_decorations.h"
#include "hall_protocol/hall_send.h"
#include "hall_protocol/published_set_link.h"
#include "layout/data_layout.h"
#include "layout/level_set_layout.h"
#include "model/version.h"
#include "platform/single_copy_lock.h"
#include "storage/file_problems.h"
#include "storage/level_text.h"

namespace {

constexpr int kRefusedArguments = 2;

// A second copy on the same folder would overwrite this one's progress at its exit (or lose its
// own): it says so and ends before it reads or writes anything there.
void SayAlreadyRunning(const ZapModule::SingleCopyLock& lock) {
    QMessageBox box(QMessageBox::Warning, "Zapwall",
                    QString::fromUtf8("Zapwall už běží. Druhé spuštění se ukončí, aby "
                                      "nepřepsalo postup běžící hry.\n\nZámek: ") +
                        QString::fromStdString(lock.Path()),
                    QMessageBox::Ok);
    box.exec();
}

// A lock that named no copy was cleared away, and the player should hear what became of it (a
// folder in its place is set aside under a new name).
void SayLockNote(const std::string& note) {
    QMessageBox box(QMessageBox::Information, "Zapwall", QString::fromStdString(note),
                    QMessageBox::Ok);
    box.exec();
}

// The layout that plays or shows the level set of --levels (ReadLevelSetFile): a game keeps its
// players in the set's own folder (LevelSetLayout). Watching writes nothing there: a compiled set
// is read where it lies, a level text from `compiled`, a temporary file that goes with the
// program.
std::optional<ZapModule::DataLayout> LayoutWithLevels(ZapModule::DataLayout layout,
                                                      const ZapModule::CommandLine& command,
                                                      QTemporaryFile& compiled,
                                                      std::string* problem) {
    const auto levels = ZapModule::ReadLevelSetFile(command.Levels, problem);
    if (!levels) return std::nullopt;
    if (command.What != ZapModule::CommandLine::Action::Watch)
        return ZapModule::LevelSetLayout(layout, command.Levels, *levels, problem);
    layout.UserFolder = ZapModule::LevelSetFolder(layout, command.Levels);
    layout.LevelsFile = command.Levels;
    if (!ZapModule::IsLevelText(command.Levels)) return layout;
    const auto size = static_cast<qint64>(levels->size());
    if (!compiled.open() ||
        compiled.write(reinterpret_cast<const char*>(levels->data()), size) != size ||
        !compiled.flush()) {
        *problem = "dočasný soubor nelze zapsat: " + compiled.errorString().toStdString();
        return std::nullopt;
    }
    layout.LevelsFile = compiled.fileName().toStdString();
    return layout;
}

}  // namespace

int main(int argc, char** argv) {
    using ZapModule::CommandLine;
    const CommandLine command = ZapModule::ParseCommandLine({argv + 1, argv + argc});
    switch (command.What) {
        case CommandLine::Action::Help:
            std::cout << ZapModule::HelpText(ZapModule::GameLayout());
            return 0;
        case CommandLine::Action::Version:
            std::cout << "zapwall " << ZapModule::kVersion << "\n";
            return 0;
        case CommandLine::Action::Refuse:
            std::cerr << "zapwall: " << command.Problem << "\n";
            return kRefusedArguments;
        case CommandLine::Action::Play:
        case CommandLine::Action::Watch:
            break;
    }
    ZapModule::UseUtf8Locale();  // before any thread starts: the locale is the process's
    if (const std::string_view problem = ZapModule::WindowProblem(); !problem.empty()) {
        std::cerr << "zapwall: " << problem << "\n";
        return 1;
    }

    // Whole scale factors only, so a high-DPI screen shows every game pixel as a sharp block.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::Round);
    const ZapModule::DataLayout game = ZapModule::GameLayout();
    ZapModule::DataLayout layout = game;
    // A set that cannot be played is refused in a box as well as on the terminal: a game started
    // from the editor or a file manager has no terminal to read.
    std::string refusedSet;
    QTemporaryFile compiledText(QDir::tempPath() + "/zapwall-levels-XXXXXX.ko");
    // A set's file is read at once; a published set's link is followed once Qt runs.
    std::optional<ZapModule::PublishedSetLink> published;
    if (ZapModule::IsWebLink(command.Levels)) {
        published = ZapModule::ParsePublishedSetLink(command.Levels, &refusedSet);
    } else if (!command.Levels.empty()) {
        const auto set = LayoutWithLevels(layout, command, compiledText, &refusedSet);
        if (set) layout = *set;
    }
    // Loading and registering the sound library and decoding the pictures need no display: they go
    // on beside Qt's start and the building of the menu; the entry routine takes them at their
    // steps.
    std::optional<ZapModule::StartupPreload> preload;
    if (!published) preload.emplace(layout);
    ZapModule::LeaveTitleBarsToTheCompositor();
    std::optional<ZapModule::FatalPlatformGuard> noDisplay(std::in_place);
    QApplication app(argc, argv);
    noDisplay.reset();
    QApplication::setWindowIcon(ZapModule::WindowIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral(ZAPWALL_APP_ID));
    if (published) {
        CommandLine kept = command;
        if (const auto file = ZapModule::KeptPublishedSet(game, *published, &refusedSet)) {
            kept.Levels = *file;
            if (const auto set = LayoutWithLevels(layout, kept, compiledText, &refusedSet))
                layout = *set;
        }
        preload.emplace(layout);
    }
    if (!refusedSet.empty()) {
        std::cerr << "zapwall: " << refusedSet << "\n";
        QMessageBox box(
            QMessageBox::Critical, "Zapwall",
            QString::fromUtf8("Sadu úrovní nelze hrát:\n") + QString::fromStdString(refusedSet),
            QMessageBox::Ok);
        box.exec();
        return 1;
    }

    // Held until the process ends, taken before anything of the player's files is read. Watching
    // a replay writes nothing, so it goes on beside a game without it.
    std::optional<ZapModule::SingleCopyLock> lock;
    if (command.What == CommandLine::Action::Play) {
        lock.emplace(layout.UserFolder);
        if (lock->Result() == ZapModule::SingleCopyLock::Outcome::HeldByAnother) {
            SayAlreadyRunning(*lock);
            return 1;
        }
        if (!lock->SetAside().empty())
            SayLockNote(ZapModule::LockSetAsideText(lock->Path(), lock->SetAside()));
    }
    ZapModule::Program program(layout);
    // A portable copy keeps its settings in its own folder, as it keeps the player's files (a
    // test play of the editor runs on such a copy and so touches no settings of the player's).
    if (!game.Installed)
        program.Settings().UseFile(QString::fromStdString(game.UserFolder + "/zapwall.conf"));
    program.UseSound(preload->Sound());
    program.UsePictures(preload->Pictures());
    if (published) program.OfferResultsTo(published->Server);
    // The run ends only through the program's end, after its close handlers and its last box;
    // closing a box that happens to be the last window shown (the refusal, the offer at
    // start-up) does not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    program.EndProcess = [](int status) { QCoreApplication::exit(status); };
    if (command.Player) program.ChooseAtStart(*command.Player);
    const std::optional<int> status = command.What == CommandLine::Action::Watch
                                          ? program.StartPlayback(command.Replay)
                                          : program.Start();
    if (status) return *status;
    return QApplication::exec();
}
