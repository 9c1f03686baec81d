#include "storage/memory_data_files.h"

namespace ZapModule {

std::optional<std::vector<uint8_t>> MemoryDataFiles::Read(const std::string& name) {
    const auto held = Held.find(name);
    if (held != Held.end()) return held->second;
    return backing_ ? backing_->Read(name) : std::nullopt;
}

bool MemoryDataFiles::Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    if (FailWrites) return false;
    Held[name] = bytes;
    ++WriteCount;
    return true;
}

bool MemoryDataFiles::Exists(const std::string& name) {
    return Held.count(name) != 0 || (backing_ && backing_->Exists(name));
}

bool MemoryDataFiles::Copy(const std::string& name, const std::string& copyName) {
    const auto bytes = Read(name);
    return bytes && Write(copyName, *bytes);
}

bool MemoryDataFiles::Commit() {
    if (!backing_) return Held.empty();
    bool allWritten = true;
    for (auto file = Held.begin(); file != Held.end();) {
        if (backing_->Write(file->first, file->second)) {
            file = Held.erase(file);
        } else {
            allWritten = false;
            ++file;
        }
    }
    return allWritten;
}

}  // namespace ZapModule
