// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Data files held in memory. Writes are kept here; reads see them first and otherwise the backing
// files, if there are any. With no backing it is a self-contained folder for tests; over the disk
// it lets zapwall-sim run the real storage code without touching the folder unless it commits.

#include <map>

#include "storage/data_files.h"

namespace ZapModule {

class MemoryDataFiles : public DataFiles {
  public:
    explicit MemoryDataFiles(DataFiles* backing = nullptr) : backing_(backing) {}

    std::optional<std::vector<uint8_t>> Read(const std::string& name) override;
    std::string ReadProblem(const std::string& name) override;
    bool Write(const std::string& name, const std::vector<uint8_t>& bytes) override;
    bool Exists(const std::string& name) override;
    bool Copy(const std::string& name, const std::string& copyName) override;
    std::string CopyProblem(const std::string& name) override;
    std::string Where(const std::string& name) const override;
    std::string LastWriteProblem() const override { return lastProblem_; }

    // Carries out every held write and copy on the backing files, in the order they were made,
    // as the game would have made them: a kept copy of a damaged file therefore lands before the
    // file's replacement, and when the copy fails the file is not replaced. False when any of
    // them failed; `failed` then names them, each with why ("disk je plný").
    struct NotWritten {
        std::string Name, Problem;
        bool operator==(const NotWritten&) const = default;
    };
    bool Commit(std::vector<NotWritten>* failed = nullptr);
    // The files written or copied so far and not committed, in order.
    std::vector<std::string> Pending() const;

    // The files written so far, by name.
    std::map<std::string, std::vector<uint8_t>> Held;
    // Number of successful writes and copies, so tests can see that nothing was written.
    int WriteCount = 0;
    // Makes every later write and copy fail, as a full disk would.
    bool FailWrites = false;

  private:
    // A held change: a write of Held[Name], or a copy of the backing file From to Name.
    struct Change {
        std::string Name;
        std::string From;  // empty for a write
    };
    std::vector<Change> changes_;
    // Copies of backing files, by the copy's name: read through from the original.
    std::map<std::string, std::string> copiedFrom_;
    std::string lastProblem_;
    DataFiles* backing_;
};

}  // namespace ZapModule
