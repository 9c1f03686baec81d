#include "app/display_check.h"

#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

namespace ZapModule {

namespace {

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// Whether one platform plugin name (options after a colon cut off) can start.
bool PlatformCanStart(const std::string& name) {
    if (name == "xcb") return IsSet("DISPLAY");
    if (name.rfind("wayland", 0) == 0) return IsSet("WAYLAND_DISPLAY");
    return true;
}

QtMessageHandler previousHandler = nullptr;

void ExitOnFatal(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(kNoDisplayText.size()),
                     kNoDisplayText.data());
        std::_Exit(1);
    }
    if (previousHandler != nullptr) previousHandler(type, context, message);
}

}  // namespace

bool DisplayAvailable() {
    const char* chosen = std::getenv("QT_QPA_PLATFORM");
    if (chosen == nullptr || *chosen == '\0') return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY");
    // Qt tries a list "a;b" in order.
    std::istringstream list(chosen);
    for (std::string entry; std::getline(list, entry, ';');) {
        if (PlatformCanStart(entry.substr(0, entry.find(':')))) return true;
    }
    return false;
}

FatalPlatformGuard::FatalPlatformGuard() {
    previousHandler = qInstallMessageHandler(ExitOnFatal);
}

FatalPlatformGuard::~FatalPlatformGuard() {
    qInstallMessageHandler(previousHandler);
}

}  // namespace ZapModule
