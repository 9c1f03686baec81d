// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/memory_data_files.h"

#include <algorithm>
#include <set>

namespace ZapModule {

std::optional<std::vector<uint8_t>> MemoryDataFiles::Read(const std::string& name) {
    const auto held = Held.find(name);
    if (held != Held.end()) return held->second;
    if (!backing_) return std::nullopt;
    const auto copied = copiedFrom_.find(name);
    return backing_->Read(copied != copiedFrom_.end() ? copied->second : name);
}

std::string MemoryDataFiles::ReadProblem(const std::string& name) {
    if (Held.count(name) != 0 || !backing_) return {};
    const auto copied = copiedFrom_.find(name);
    return backing_->ReadProblem(copied != copiedFrom_.end() ? copied->second : name);
}

bool MemoryDataFiles::Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    if (FailWrites) {
        lastProblem_ = "disk je plný";
        return false;
    }
    Held[name] = bytes;
    copiedFrom_.erase(name);
    changes_.push_back(Change{name, {}});
    ++WriteCount;
    return true;
}

bool MemoryDataFiles::Exists(const std::string& name) {
    return Held.count(name) != 0 || copiedFrom_.count(name) != 0 ||
           (backing_ && backing_->Exists(name));
}

bool MemoryDataFiles::Copy(const std::string& name, const std::string& copyName) {
    if (Exists(copyName)) {
        lastProblem_ = "soubor tohoto jména už existuje";
        return false;
    }
    if (FailWrites) {
        lastProblem_ = "disk je plný";
        return false;
    }
    if (const auto held = Held.find(name); held != Held.end()) return Write(copyName, held->second);
    // A backing file is copied at the commit; until then it reads through. What the copy would
    // refuse then is refused now, so that the game's messages say what the commit will do.
    if (!backing_ || !backing_->Exists(name)) {
        lastProblem_ = "soubor chybí";
        return false;
    }
    if (std::string why = backing_->CopyProblem(name); !why.empty()) {
        lastProblem_ = std::move(why);
        return false;
    }
    copiedFrom_[copyName] = name;
    changes_.push_back(Change{copyName, name});
    ++WriteCount;
    return true;
}

std::string MemoryDataFiles::CopyProblem(const std::string& name) {
    if (Held.count(name) != 0 || !backing_) return {};
    const auto copied = copiedFrom_.find(name);
    return backing_->CopyProblem(copied != copiedFrom_.end() ? copied->second : name);
}

std::string MemoryDataFiles::Where(const std::string& name) const {
    return backing_ ? backing_->Where(name) : name;
}

std::vector<std::string> MemoryDataFiles::Pending() const {
    std::vector<std::string> names;
    for (const Change& change : changes_)
        if (std::find(names.begin(), names.end(), change.Name) == names.end())
            names.push_back(change.Name);
    return names;
}

bool MemoryDataFiles::Commit(std::vector<NotWritten>* failed) {
    const auto fail = [&](const std::string& name, const std::string& problem) {
        if (failed != nullptr) failed->push_back({name, problem});
    };
    if (!backing_) {
        for (const std::string& name : Pending()) fail(name, {});
        return changes_.empty();
    }
    std::set<std::string> done;
    // The originals that stay where they are because they could not be kept, with why.
    std::map<std::string, std::string> notReplaced;
    bool allWritten = true;
    for (const Change& change : changes_) {
        if (done.count(change.Name) != 0) continue;  // a file is written once, as it is now
        done.insert(change.Name);
        bool ok = false;
        if (!change.From.empty()) {
            ok = backing_->Copy(change.From, change.Name);
            if (!ok) notReplaced[change.From] = backing_->LastWriteProblem();
        } else if (notReplaced.count(change.Name) == 0 && Held.count(change.Name) != 0) {
            ok = backing_->Write(change.Name, Held.at(change.Name));
        }
        if (!ok) {
            allWritten = false;
            const auto kept = notReplaced.find(change.Name);
            lastProblem_ = kept != notReplaced.end() ? kept->second : backing_->LastWriteProblem();
            fail(change.Name, lastProblem_);
        }
    }
    changes_.clear();
    copiedFrom_.clear();
    Held.clear();
    return allWritten;
}

}  // namespace ZapModule
