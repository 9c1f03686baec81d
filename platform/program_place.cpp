// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/program_place.h"

#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace ZapModule {

std::string ProgramFolder() {
#ifdef _WIN32
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), path.size());
        if (length == 0) return ".";
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::u8string folder = std::filesystem::path(path).parent_path().u8string();
    return std::string(folder.begin(), folder.end());
#else
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !program.has_parent_path()) return ".";
    return program.parent_path().string();
#endif
}

bool ProgramIsInstallable() {
    return true;
}

std::string AccountHome() {
#ifdef _WIN32
    return {};
#else
    const passwd* account = ::getpwuid(::getuid());
    return account != nullptr && account->pw_dir != nullptr ? account->pw_dir : "";
#endif
}

}  // namespace ZapModule
