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
    bool Write(const std::string& name, const std::vector<uint8_t>& bytes) override;
    bool Exists(const std::string& name) override;
    bool Copy(const std::string& name, const std::string& copyName) override;

    // Writes every held file to the backing files; false when any of them failed (those that
    // succeeded are no longer held).
    bool Commit();

    // The files written so far, by name.
    std::map<std::string, std::vector<uint8_t>> Held;
    // Number of successful writes and copies, so tests can see that nothing was written.
    int WriteCount = 0;
    // Makes every later write and copy fail, as a full disk would.
    bool FailWrites = false;

  private:
    DataFiles* backing_;
};

}  // namespace ZapModule
