// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The level sets players published, kept in the hall's database beside the results, so that
// every copy of the server on one database has them. A set is known by its address, the SHA-256
// of its levels.ko; its replays name it by their own hash of the same file.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ZapModule {

struct PublishedSet {
    std::string Address;  // 64 hexadecimal digits
    std::string Levels;   // the hash its replays name it with, 16 hexadecimal digits
    std::string Title, Author;
    std::string Published;  // UTC, "2026-12-10T09:00:00Z"
    int64_t LevelCount = 0;
    bool Hidden = false;  // by the operator: in no list, and taking no new games
};

class LevelSetStore {
  public:
    // SQLite in the file `sqlite`, or PostgreSQL by libpq's `postgresql` when that is not empty.
    LevelSetStore(std::string sqlite, std::string postgresql);

    // Makes the table where it is missing; the reason when the database cannot be used.
    std::string Open();

    struct Publishing {
        enum class Outcome { New, Earlier, Collides };
        Outcome What = Outcome::New;
        PublishedSet Kept;    // the set as kept: the first title and author of an earlier one
        std::string Problem;  // the database failed: nothing was kept
    };
    // Keeps `set` with its file, unless the same file is kept already (Earlier) or another file
    // whose replays' hash is the same (Collides).
    Publishing Publish(const PublishedSet& set, const std::vector<uint8_t>& file);
    // The set whose replays name `levelsOrAddress`, or whose address it is, and its file when
    // `file` is given.
    std::optional<PublishedSet> Find(const std::string& levelsOrAddress, std::vector<uint8_t>* file,
                                     std::string* problem);
    // Every published set but the hidden ones, the oldest first.
    std::vector<PublishedSet> All(std::string* problem);
    // Hides the set of that address or replays' hash, or shows it again; false when there is
    // none.
    bool Hide(const std::string& levelsOrAddress, bool hidden, std::string* problem);

  private:
    std::string sqlite_, postgresql_;
};

}  // namespace ZapModule
