// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text as an HTML page shows it literally: in the hall server's page and in the browser
// edition's markup, which the build writes from the windows' design.

#include <string>
#include <string_view>

namespace ZapModule {

// Text as HTML shows it literally, in an element or a quoted attribute.
std::string EscapeHtml(std::string_view text);

}  // namespace ZapModule
