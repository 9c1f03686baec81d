// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hall's answers, apart from HTTP: a sent game checked, played by the engine and filed, or
// refused with a status and a reason (and nothing stored); the best results; a filed replay.

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "hall/accepted_level_sets.h"
#include "hall/level_set_store.h"
#include "hall/replay_verifier.h"
#include "hall/result_store.h"
#include "hall/send_budget.h"
#include "storage/replay_file.h"

namespace ZapModule {

struct DeskAnswer {
    int Status = 200;
    nlohmann::json Body;
    int RetryAfter = 0;  // seconds, for a refusal that a later send may not meet
};

// What a send holds: the nickname, the claimed score (IQ as the game keeps it) and level (as the
// game screen shows it), and the replay's text; and who sent it (SendBudget::Sender).
struct SentGame {
    std::string Name, Score, Level;
    std::string_view Replay;  // the request's body, up to kMaxSentReplayBytes: not copied
    std::string Sender;
};

// A level set sent to be published: its title and author's nickname, the set as level text or
// as levels.ko (`Compiled`), and who sent it.
struct SentLevelSet {
    std::string Title, Author;
    std::string_view File;
    bool Compiled = false;
    std::string Sender;
};

// A level set as the lists show it.
struct ListedSet {
    AcceptedLevelSet Set;
    int64_t Results = 0;
    int64_t Best = 0;
};

// The largest level set the hall takes to publish, as text or as levels.ko.
constexpr size_t kMaxPublishedSetBytes = size_t{1} << 20;
extern const std::string kTooLargeSet;

// The largest replay the hall takes: about two and a half hours of held keys.
constexpr size_t kMaxSentReplayBytes = size_t{8} << 20;
// The most steps a game the hall plays may run: an hour of play at the fastest speed on a
// desktop that takes 300 µs a step, about 5 s of the server's CPU.
constexpr int64_t kMaxSentReplaySteps = 12'000'000;
// The refusal of a larger replay.
extern const std::string kTooLargeReplay;

class ResultDesk {
  public:
    // `workFolder` holds the replays while they are played; `budget` is what each sender may
    // spend on them.
    ResultDesk(ResultStore& store, LevelSetStore& levelSets, ReplayVerifier& verifier,
               const AcceptedLevelSets& sets, SendBudget& budget, std::string workFolder);

    DeskAnswer Send(const SentGame& sent);
    // Publishes a level set the game accepts: 201 kept, 200 kept before (its first title and
    // author stay), 409 when another kept set's replays would name it the same.
    DeskAnswer Publish(const SentLevelSet& sent);
    // The installed and the published sets, with their results; *problem when the database
    // failed.
    std::vector<ListedSet> Listed(std::string* problem);
    // A listed set's levels.ko by its address; nothing when there is none (*problem empty) or
    // the database failed.
    std::optional<std::vector<uint8_t>> SetFile(const std::string& address, std::string* problem);
    // The best results: all, of one level set, of one month ("2026-12"), at most `limit`; they
    // are also put in *results when that is given.
    DeskAnswer Best(const std::string& levels, const std::string& month, const std::string& limit,
                    std::vector<FiledResult>* results = nullptr);
    // The accepted level sets.
    DeskAnswer LevelSets();
    // A result as the lists show it, with the address of its replay.
    nlohmann::json Entry(const FiledResult& result) const;

    ResultStore& Store() { return store_; }
    const AcceptedLevelSets& Sets() const { return sets_; }

  private:
    struct Claim {
        int64_t Score = 0, Level = 0;
    };
    DeskAnswer Play(const SentGame& sent, const Replay& game, const AcceptedLevelSet& set,
                    const std::string& key, Claim claim, std::optional<int64_t> continues);
    // The answer to a send of a game filed before: its entry, when the claim is the filed one.
    DeskAnswer Earlier(const FiledResult& entry, Claim claim) const;

    ResultStore& store_;
    LevelSetStore& levelSets_;
    ReplayVerifier& verifier_;
    const AcceptedLevelSets& sets_;
    SendBudget& budget_;
    std::string workFolder_;
};

// A refusal: the status and the reason, in Czech; a later send may be taken after `retryAfter`
// seconds.
DeskAnswer Refusal(int status, const std::string& reason, int retryAfter = 0);
// The answer when the database failed: to be sent again shortly.
DeskAnswer DatabaseFailed(const std::string& problem);

}  // namespace ZapModule
