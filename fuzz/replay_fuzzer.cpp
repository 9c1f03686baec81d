// SPDX-License-Identifier: GPL-3.0-or-later
// Replay files: any bytes are either refused with a reason or read into a recording whose text,
// read again, gives the same text (so nothing read is lost or changed on the way). Each input is
// tried as it is and with a right checksum appended, so that the lines behind the checksum are
// reached too.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "storage/replay_file.h"

using namespace ZapModule;

namespace {

void Check(std::string_view bytes) {
    const ReplayParse parsed = ParseReplay(bytes);
    if (parsed.Read.has_value() == !parsed.Problem.empty()) std::abort();
    if (!parsed.Read) return;
    const std::string text = ReplayText(*parsed.Read);
    const ReplayParse again = ParseReplay(text);
    if (!again.Read || ReplayText(*again.Read) != text) std::abort();
    if (again.Read->Events != parsed.Read->Events) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string body(reinterpret_cast<const char*>(data), size);
    Check(body);
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx",
                  static_cast<unsigned long long>(Fnv1a64(body.data(), body.size())));
    Check(body + "checksum " + hex + "\n");
    return 0;
}
