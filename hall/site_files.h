// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The browser edition's files as the hall serves them under /play/: only regular files inside
// its folder (a link leading out of it is not followed), each with its type, and a file's gzip
// copy beside it to a browser that takes gzip.

#include <optional>
#include <string>

#include "hall/http_server.h"

namespace ZapModule {

// The answer for `path` (what follows "/play/"; empty or ending in "/" names the folder's
// index.html) from the folder `site`, or nothing where no such file is there.
std::optional<HttpAnswer> SiteFile(const std::string& site, const std::string& path,
                                   bool takesGzip);

}  // namespace ZapModule
