// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The filed results, in SQLite (one file) or PostgreSQL: the server keeps nothing else, so any
// number of copies can serve one database. Each of the server's threads talks to the database
// through a connection of its own.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ZapModule {

struct NewResult {
    std::string GameKey;  // the same game's key, however often it is sent
    std::string Name;
    int64_t Score = 0;
    int64_t Level = 0;
    std::string Levels;  // the level set's hash
    std::string Ending;  // "quit" or "gameover"
    int64_t Steps = 0;
    std::string Replay;
};

struct FiledResult {
    int64_t Id = 0;
    std::string Name;
    int64_t Score = 0;
    int64_t Level = 0;
    std::string Levels;
    std::string Ending;
    int64_t Steps = 0;
    std::string Filed;  // UTC, "2026-12-09T01:55:00Z"
};

// Which results, best first: all, or those of one level set and/or of one month filed.
struct ResultFilter {
    std::string Levels;
    std::string Month;  // "2026-12"
    int Limit = 100;
};

class ResultStore {
  public:
    // SQLite in the file `sqlite`, or PostgreSQL through libpq's connection string `postgresql`
    // when that is not empty.
    ResultStore(std::string sqlite, std::string postgresql);

    // Makes the table where it is missing; the reason when the database cannot be used.
    std::string Open();

    struct Filing {
        std::optional<FiledResult> Entry;
        bool Earlier = false;  // the game was filed before: Entry is that filing
        std::string Problem;   // the database failed
    };
    // Files a result unless its game is filed already.
    Filing File(const NewResult& result);
    // The filing of a game, if there is one.
    Filing Find(const std::string& gameKey);
    std::vector<FiledResult> Best(const ResultFilter& filter, std::string* problem);
    // A filed replay's text; nothing when there is none of that number.
    std::optional<std::string> Replay(int64_t id, std::string* problem);

  private:
    std::string sqlite_, postgresql_;
};

}  // namespace ZapModule
