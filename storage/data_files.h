// SPDX-License-Identifier: GPL-3.0-or-later
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
    // Why Read gives nothing for an existing file, in Czech ("chybí oprávnění soubor číst").
    virtual std::string ReadProblem(const std::string& name) = 0;
    // Replaces the file with exactly these bytes, crash-safe; false (and nothing changed) on
    // failure, with the reason in LastWriteProblem.
    virtual bool Write(const std::string& name, const std::vector<uint8_t>& bytes) = 0;
    // Whether the file is there, readable or not: a file that exists but cannot be read is not
    // the same as a missing one.
    virtual bool Exists(const std::string& name) = 0;
    // Copies the file under a new name when it is a regular file; one larger than
    // kMaxKeptFileBytes (a sparse one, perhaps, whose copy would cost its whole size on the disk
    // and hold up the start) is kept under the new name without copying, where the files allow.
    // Never replaces a file that is already there: false then, as on any other failure.
    virtual bool Copy(const std::string& name, const std::string& copyName) = 0;
    // Why Copy would refuse the file itself (no regular file, too large), in Czech; empty when
    // it would not.
    virtual std::string CopyProblem(const std::string& name) { return {}; }
    // Where the file lies, for messages.
    virtual std::string Where(const std::string& name) const = 0;
    // Why the last failed Write or Copy failed, in Czech ("disk je plný"); empty when unknown.
    virtual std::string LastWriteProblem() const = 0;
};

}  // namespace ZapModule
