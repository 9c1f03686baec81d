// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers shared by the storage tests: files written as lists of 16-bit values, a game state
// wired to an in-memory or a temporary folder and a recording window, and the one message told.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "game/contract/state.h"
#include "game/recording_window.h"
#include "storage/byte_io.h"
#include "storage/disk_data_files.h"
#include "storage/memory_data_files.h"

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

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zapwall-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

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

// The names in `folder`, sorted.
inline std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

inline void WriteText(const std::string& path, const std::string& text) {
    WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace ZapModule::testing
