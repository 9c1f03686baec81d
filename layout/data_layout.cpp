// SPDX-License-Identifier: GPL-3.0-or-later
#include "layout/data_layout.h"

#include <cstdlib>
#include <filesystem>

#include "platform/program_place.h"

namespace ZapModule {

DataLayout PortableLayout(const std::string& programFolder, const std::string& dataFolder) {
    return DataLayout{false, programFolder, dataFolder, dataFolder, programFolder, {}};
}

DataLayout ChooseLayout(const std::string& programFolder, const std::string& userFolder) {
    const std::string beside = programFolder + "/data";
    std::error_code error;
    if (!ProgramIsInstallable() || std::filesystem::is_directory(beside, error))
        return PortableLayout(programFolder, beside);
    // PREFIX/bin/zapwall: the rest of the tree hangs off PREFIX.
    const std::string prefix = std::filesystem::path(programFolder).parent_path().string();
    return DataLayout{true,       programFolder,           prefix + "/share/zapwall/data",
                      userFolder, prefix + "/lib/zapwall", {}};
}

std::string UserDataFolder() {
    // A program that is never installed keeps them in its own data folder.
    if (!ProgramIsInstallable()) return ProgramFolder() + "/data";
    // Only an absolute path counts, as the XDG rules say: a relative or empty one is ignored, and
    // so is a HOME that is unset or relative, in favour of the account's own home.
    const auto absolute = [](const char* path) -> std::optional<std::string> {
        if (path == nullptr || path[0] != '/') return std::nullopt;
        return std::string(path);
    };
    if (const auto xdg = absolute(std::getenv("XDG_DATA_HOME"))) return *xdg + "/zapwall";
    std::optional<std::string> home = absolute(std::getenv("HOME"));
    if (!home) home = absolute(AccountHome().c_str());
    // No home at all: the root folder is the only one left, as the system's own tools take it.
    return (home && *home != "/" ? *home : std::string()) + "/.local/share/zapwall";
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
