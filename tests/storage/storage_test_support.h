// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers shared by the storage tests: files written as lists of 16-bit values, a game state
// wired to an in-memory or a temporary folder (tests/lib/test_files.h) and a recording window,
// the one message told, and a replay's text signed with its checksum.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "game/recording_window.h"
#include "model/state.h"
#include "storage/byte_io.h"
#include "storage/disk_data_files.h"
#include "storage/memory_data_files.h"
#include "storage/replay_file.h"
#include "tests/lib/test_files.h"

namespace ZapModule::testing {

inline std::vector<uint8_t> Values16(std::initializer_list<int> values) {
    std::vector<uint8_t> bytes;
    for (int v : values) Append16(bytes, static_cast<int16_t>(v));
    return bytes;
}

inline std::vector<int16_t> ToValues16(const std::vector<uint8_t>& bytes) {
    std::vector<int16_t> values;
    ByteReader in(bytes);
    while (in.Has(1)) values.push_back(in.Read16());
    return values;
}

inline std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A game state whose data files live in memory and whose window records what it is told.
struct StorageFixture {
    MemoryDataFiles files;
    RecordingWindow window;
    GameState s;
    StorageFixture() {
        s.Files = &files;
        s.Window = &window;
        s.CurrentPlayer = -1;
    }
};

// The one message the window was told; a failure and "" when it was told none or several.
inline std::string OnlyMessage(const RecordingWindow& window) {
    EXPECT_EQ(window.Messages.size(), 1u);
    return window.Messages.size() == 1 ? window.Messages[0].Text : std::string();
}

// A game state whose data files are those of a fresh folder on disk.
struct DiskFixture {
    TempFolder folder;
    DiskDataFiles files{folder.Path()};
    RecordingWindow window;
    GameState s;
    DiskFixture() {
        s.Files = &files;
        s.Window = &window;
        s.CurrentPlayer = -1;
    }
};

// The replay text `body` (every line but the checksum) with its right checksum line after it.
inline std::string WithChecksum(const std::string& body) {
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx",
                  static_cast<unsigned long long>(Fnv1a64(body.data(), body.size())));
    return body + "checksum " + hex + "\n";
}

// The names in `folder`, sorted.
inline std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace ZapModule::testing
