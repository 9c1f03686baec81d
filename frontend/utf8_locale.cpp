// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/utf8_locale.h"

#include <langinfo.h>
#include <clocale>
#include <cstdlib>
#include <string_view>

namespace ZapModule {

void UseUtf8Locale() {
    if (std::setlocale(LC_ALL, "") != nullptr && std::string_view(nl_langinfo(CODESET)) == "UTF-8")
        return;
    // Qt sets the locale from the environment again when its application is made.
    setenv("LC_ALL", "C.UTF-8", 1);
    std::setlocale(LC_ALL, "");
}

}  // namespace ZapModule
