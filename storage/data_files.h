#pragma once
// Whole-file access to the data folder for the files the game reads and writes (players.ko,
// hall.ko, tick.ko). The game uses the disk; zapwall-sim keeps writes back unless asked to save.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ZapModule {

class DataFiles {
public:
    virtual ~DataFiles() = default;
    // The file's bytes, or nothing when it does not exist or cannot be read.
    virtual std::optional<std::vector<uint8_t>> Read(const std::string& name) = 0;
    // Replaces the file with exactly these bytes, crash-safe; false (and nothing changed) on
    // failure.
    virtual bool Write(const std::string& name, const std::vector<uint8_t>& bytes) = 0;
};

}  // namespace ZapModule
