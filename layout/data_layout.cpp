// SPDX-License-Identifier: GPL-3.0-or-later
#include "layout/data_layout.h"

#include <filesystem>

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "sound/component_loader.h"

namespace ZapModule {

DataLayout PortableLayout(const std::string& programFolder, const std::string& dataFolder) {
    return DataLayout{false, programFolder, dataFolder, dataFolder, programFolder, {}};
}

DataLayout ChooseLayout(const std::string& programFolder, const std::string& userFolder) {
    const std::string beside = programFolder + "/data";
#ifdef __EMSCRIPTEN__
    // zapwall-sim.js is never installed: its folder is the data folder beside it.
    return PortableLayout(programFolder, beside);
#else
    std::error_code error;
    if (std::filesystem::is_directory(beside, error)) return PortableLayout(programFolder, beside);
    // PREFIX/bin/zapwall: the rest of the tree hangs off PREFIX.
    const std::string prefix = std::filesystem::path(programFolder).parent_path().string();
    return DataLayout{true,       programFolder,           prefix + "/share/zapwall/data",
                      userFolder, prefix + "/lib/zapwall", {}};
#endif
}

std::string UserDataFolder() {
#ifdef __EMSCRIPTEN__
    // Node hands its program no environment to find one in; the layout there is portable.
    return ProgramFolder() + "/data";
#else
    // Only an absolute path counts, as the XDG rules say: a relative or empty one is ignored, and
    // so is a HOME that is unset or relative, in favour of the account's own home.
    const auto absolute = [](const char* path) -> std::optional<std::string> {
        if (path == nullptr || path[0] != '/') return std::nullopt;
        return std::string(path);
    };
    if (const auto xdg = absolute(std::getenv("XDG_DATA_HOME"))) return *xdg + "/zapwall";
    std::optional<std::string> home = absolute(std::getenv("HOME"));
    if (!home) {
        const passwd* account = ::getpwuid(::getuid());
        home = absolute(account != nullptr ? account->pw_dir : nullptr);
    }
    // No home at all: the root folder is the only one left, as the system's own tools take it.
    return (home && *home != "/" ? *home : std::string()) + "/.local/share/zapwall";
#endif
}

DataLayout GameLayout() {
    return ChooseLayout(ProgramFolder(), UserDataFolder());
}

DataLayout ToolLayout(const std::optional<std::string>& data,
                      const std::optional<std::string>& userData) {
    DataLayout layout = data && !userData ? PortableLayout(ProgramFolder(), *data) : GameLayout();
    if (data) layout.DataFolder = *data;
    if (userData) layout.UserFolder = *userData;
    return layout;
}

}  // namespace ZapModule
