// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/display_check.h"

#include <QCoreApplication>
#include <QDir>
#include <QtGlobal>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace ZapModule {

namespace {

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

bool IsWayland(const std::string& name) {
    return name.rfind("wayland", 0) == 0;
}

// Whether one platform plugin name can start, as far as the environment tells.
bool PlatformCanStart(const std::string& name) {
    if (name == "xcb") return IsSet("DISPLAY");
    if (IsWayland(name)) return IsSet("WAYLAND_DISPLAY");
    return true;
}

// The platforms of QT_QPA_PLATFORM, which Qt tries in order ("a;b"), their options after a colon
// cut off; empty when it is unset.
std::vector<std::string> ChosenPlatforms() {
    const char* chosen = std::getenv("QT_QPA_PLATFORM");
    std::vector<std::string> names;
    std::istringstream list(chosen != nullptr ? chosen : "");
    for (std::string entry; std::getline(list, entry, ';');)
        names.push_back(entry.substr(0, entry.find(':')));
    return names;
}

// Whether QT_QPA_PLATFORM leaves Qt nothing but Wayland: it names a Wayland platform, and nothing
// else on its list could start.
bool OnlyWaylandChosen() {
    bool wayland = false;
    for (const std::string& name : ChosenPlatforms()) {
        if (IsWayland(name))
            wayland = true;
        else if (PlatformCanStart(name))
            return false;
    }
    return wayland;
}

// Qt's Wayland platform plugins (libqwayland-generic.so and its kin, Debian's qt6-wayland) in
// the folders Qt loads platform plugins from.
bool WaylandPluginInstalled() {
    QStringList folders;
    for (const QString& path : QCoreApplication::libraryPaths()) folders << path + "/platforms";
    if (IsSet("QT_QPA_PLATFORM_PLUGIN_PATH"))
        folders << QString::fromLocal8Bit(std::getenv("QT_QPA_PLATFORM_PLUGIN_PATH"));
    for (const QString& folder : folders)
        if (!QDir(folder).entryList({"libqwayland*"}, QDir::Files).isEmpty()) return true;
    return false;
}

QtMessageHandler previousHandler = nullptr;

void ExitOnFatal(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        // Without QT_QPA_PLATFORM, Qt may take Wayland in a Wayland session.
        const char* session = std::getenv("XDG_SESSION_TYPE");
        const bool wayland =
            OnlyWaylandChosen() || (ChosenPlatforms().empty() && session != nullptr &&
                                    std::string_view(session) == "wayland");
        const std::string_view text =
            wayland && !WaylandPluginInstalled() ? kNoWaylandPluginText : kNoDisplayText;
        std::fprintf(stderr, "%s: %.*s\n", program_invocation_short_name,
                     static_cast<int>(text.size()), text.data());
        std::_Exit(1);
    }
    if (previousHandler != nullptr) previousHandler(type, context, message);
}

}  // namespace

std::string_view WindowProblem() {
    if (OnlyWaylandChosen() && !WaylandPluginInstalled()) return kNoWaylandPluginText;
    const std::vector<std::string> chosen = ChosenPlatforms();
    if (chosen.empty())
        return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") ? std::string_view() : kNoDisplayText;
    for (const std::string& name : chosen)
        if (PlatformCanStart(name)) return {};
    return kNoDisplayText;
}

FatalPlatformGuard::FatalPlatformGuard() {
    previousHandler = qInstallMessageHandler(ExitOnFatal);
}

FatalPlatformGuard::~FatalPlatformGuard() {
    qInstallMessageHandler(previousHandler);
}

}  // namespace ZapModule
