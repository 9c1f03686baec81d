// SPDX-License-Identifier: GPL-3.0-or-later
// hall.ko: any bytes give a table of ten entries (complete ones from the file); writing it over
// the same bytes keeps everything past the entries and reads back the same table.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "storage/hall.h"

using namespace ZapModule;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    const HallRead read = ParseHall(bytes);
    const std::vector<uint8_t> saved = SerializeHall(read.Table, bytes);
    if (saved.size() < bytes.size()) std::abort();
    const HallRead again = ParseHall(saved);
    if (!again.Problem.empty()) std::abort();
    for (size_t i = 0; i < read.Table.size(); ++i) {
        if (again.Table[i].Name != read.Table[i].Name ||
            again.Table[i].Score != read.Table[i].Score)
            std::abort();
    }
    return 0;
}
