#include "layout/data_layout.h"

#include <filesystem>

#ifndef __EMSCRIPTEN__
#include <QStandardPaths>
#endif

#include "sound/component_loader.h"

namespace ZapModule {

DataLayout PortableLayout(const std::string& programFolder, const std::string& dataFolder) {
    return DataLayout{false, programFolder, dataFolder, dataFolder, programFolder};
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
    return DataLayout{true, programFolder, prefix + "/share/zapwall/data", userFolder,
                      prefix + "/lib/zapwall"};
#endif
}

std::string UserDataFolder() {
#ifdef __EMSCRIPTEN__
    // Node hands its program no environment to find one in; the layout there is portable.
    return ProgramFolder() + "/data";
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString() +
           "/zapwall";
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
