// SPDX-License-Identifier: GPL-3.0-or-later
#include "hall/site_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <climits>
#include <cstdlib>
#include <utility>

namespace ZapModule {

namespace {

std::string TypeOf(const std::string& path) {
    static constexpr std::array<std::pair<const char*, const char*>, 13> kTypes{{
        {".html", "text/html; charset=utf-8"},
        {".js", "text/javascript; charset=utf-8"},
        {".mjs", "text/javascript; charset=utf-8"},
        {".wasm", "application/wasm"},
        {".css", "text/css; charset=utf-8"},
        {".json", "application/json"},
        {".webmanifest", "application/manifest+json"},
        {".png", "image/png"},
        {".svg", "image/svg+xml"},
        {".ico", "image/x-icon"},
        {".txt", "text/plain; charset=utf-8"},
        {".wav", "audio/wav"},
        {".woff2", "font/woff2"},
    }};
    for (const auto& [ending, type] : kTypes)
        if (path.ends_with(ending)) return type;
    return "application/octet-stream";
}

// The real path of `path` when it is a regular file inside `folder` (a real path with its
// "/"), open for reading with its size; -1 otherwise.
int OpenInside(const std::string& folder, const std::string& path, uint64_t* size) {
    char real[PATH_MAX];
    if (!realpath(path.c_str(), real) || !std::string(real).starts_with(folder)) return -1;
    const int file = open(real, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    struct stat status {};
    if (file >= 0 && fstat(file, &status) == 0 && S_ISREG(status.st_mode)) {
        *size = static_cast<uint64_t>(status.st_size);
        return file;
    }
    if (file >= 0) close(file);
    return -1;
}

}  // namespace

std::optional<HttpAnswer> SiteFile(const std::string& site, const std::string& path,
                                   bool takesGzip) {
    char realSite[PATH_MAX];
    if (!realpath(site.c_str(), realSite) || path.find('\0') != std::string::npos) return {};
    const std::string folder = std::string(realSite) + "/";
    const std::string name = path.empty() || path.ends_with('/') ? path + "index.html" : path;
    HttpAnswer answer;
    answer.Headers = {{"Content-Type", TypeOf(name)}};
    if (takesGzip) answer.File = OpenInside(folder, folder + name + ".gz", &answer.FileSize);
    if (answer.File >= 0) {
        answer.Headers.emplace_back("Content-Encoding", "gzip");
    } else {
        answer.File = OpenInside(folder, folder + name, &answer.FileSize);
        if (answer.File < 0) return {};
    }
    answer.Headers.emplace_back("Vary", "Accept-Encoding");
    return answer;
}

}  // namespace ZapModule
