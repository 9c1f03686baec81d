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
    // Whether the file is there, readable or not: a file that exists but cannot be read is not
    // the same as a missing one.
    virtual bool Exists(const std::string& name) = 0;
    // Copies the file under another name (replacing that one, crash-safe), whatever its size;
    // false when it could not be copied.
    virtual bool Copy(const std::string& name, const std::string& copyName) = 0;
};

}  // namespace ZapModule
