// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The filed results, in SQLite (one file) or PostgreSQL: the server keeps nothing else, so any
// number of copies can serve one database. Each of the server's threads talks to the database
// through a connection of its own, opened again when it fails.
//
// A player's run is a chain of games: the first starts as a new player, each later one resumes
// the player where the game before it quit. Every game of it is filed; the lists show a run by
// its last game filed.

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
    std::string Replay;                // the replay's bytes as they were sent
    std::optional<int64_t> Continues;  // the filed game this one resumes the player of
    std::string EndState;              // the player's state a quit left, empty after a game over
};

struct FiledResult {
    int64_t Id = 0;
    std::string Name;
    int64_t Score = 0;
    int64_t Level = 0;
    std::string Levels;
    std::string Ending;
    int64_t Steps = 0;
    std::string Filed;      // UTC, "2026-12-09T01:55:00Z"
    int64_t Continues = 0;  // the game before it in its run, 0 for a run's first game
};

// Which results, best first: all, or those of one level set and/or of one month filed.
struct ResultFilter {
    std::string Levels;
    std::string Month;  // "2026-12"
    int Limit = 100;
};

// What a level set's lists hold: its runs and the best result among them.
struct SetTally {
    std::string Levels;
    int64_t Results = 0;
    int64_t Best = 0;
};

class ResultStore {
  public:
    // SQLite in the file `sqlite`, or PostgreSQL through libpq's connection string `postgresql`
    // when that is not empty.
    ResultStore(std::string sqlite, std::string postgresql);

    // Makes the table where it is missing, or adds what an older server's table lacks; the
    // reason when the database cannot be used.
    std::string Open();

    struct Filing {
        std::optional<FiledResult> Entry;
        bool Earlier = false;  // the game was filed before: Entry is that filing
        std::string Problem;   // the database failed: nothing was kept
    };
    // Files a result unless its game is filed already; an Entry only once it is committed.
    Filing File(const NewResult& result);
    // The filing of a game, if there is one.
    Filing Find(const std::string& gameKey);
    // The latest filed game on the level set `levels` whose quit left the player in `endState`.
    std::optional<int64_t> Continued(const std::string& levels, const std::string& endState,
                                     std::string* problem);
    // The last games of the runs, best first, but those hidden.
    std::vector<FiledResult> Best(const ResultFilter& filter, std::string* problem);
    // Hides a filed game from every list, or shows it again; false when there is no such game.
    bool Hide(int64_t id, bool hidden, std::string* problem);
    // Each level set's runs, as the lists show them.
    std::vector<SetTally> Tallies(std::string* problem);
    // Up to `most` bytes of a filed replay from `offset`, and its whole size in *size; nothing
    // when there is none of that number.
    std::optional<std::string> Replay(int64_t id, uint64_t offset, size_t most, uint64_t* size,
                                      std::string* problem);

  private:
    std::string sqlite_, postgresql_;
};

}  // namespace ZapModule
