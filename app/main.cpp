// Zapwall: the entry routine. Everything the program is lives in Program; main only makes the
// Qt application around it and hands over to its event loop while the game screen is up.

#include <QApplication>
#include <QGuiApplication>

#include "app/program.h"
#include "sound/component_loader.h"

int main(int argc, char** argv) {
    // Whole scale factors only, so a high-DPI screen shows every game pixel as a sharp block.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::Round);
    QApplication app(argc, argv);
    ZapModule::Program program(ZapModule::ProgramFolder());
    program.EndProcess = [](int status) { QCoreApplication::exit(status); };
    if (const std::optional<int> status = program.Start()) return *status;
    return QApplication::exec();
}
