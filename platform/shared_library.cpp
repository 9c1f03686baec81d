// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/shared_library.h"

#ifdef _WIN32
#include <windows.h>
#elif !defined(__EMSCRIPTEN__)
#include <dlfcn.h>
#endif

namespace ZapModule {

#ifdef _WIN32
namespace {

std::wstring Widen(const std::string& text) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
    if (length > 1) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), length);
    return wide;
}

}  // namespace

bool LoadsLibraries() {
    return true;
}
void* OpenLibrary(const std::string& path) {
    return LoadLibraryExW(Widen(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
void CloseLibrary(void* handle) {
    FreeLibrary(static_cast<HMODULE>(handle));
}
void* FindSymbol(void* handle, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}
#elif defined(__EMSCRIPTEN__)
bool LoadsLibraries() {
    return false;
}
void* OpenLibrary(const std::string&) {
    return nullptr;
}
void CloseLibrary(void*) {}
void* FindSymbol(void*, const char*) {
    return nullptr;
}
#else
bool LoadsLibraries() {
    return true;
}
void* OpenLibrary(const std::string& path) {
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
}
void CloseLibrary(void* handle) {
    dlclose(handle);
}
void* FindSymbol(void* handle, const char* name) {
    return dlsym(handle, name);
}
#endif

}  // namespace ZapModule
