// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hall's answers, apart from HTTP: a sent game checked, played by the engine and filed, or
// refused with a status and a reason (and nothing stored); the best results; a filed replay.

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "hall/accepted_level_sets.h"
#include "hall/replay_verifier.h"
#include "hall/result_store.h"

namespace ZapModule {

struct DeskAnswer {
    int Status = 200;
    nlohmann::json Body;
};

// What a send holds: the nickname, the claimed score (IQ as the game keeps it) and level (as the
// game screen shows it), and the replay's text.
struct SentGame {
    std::string Name, Score, Level;
    std::string_view Replay;  // the request's body, up to 64 MiB: not copied
};

class ResultDesk {
  public:
    // `workFolder` holds the replays while they are played.
    ResultDesk(ResultStore& store, ReplayVerifier& verifier, const AcceptedLevelSets& sets,
               std::string workFolder);

    DeskAnswer Send(const SentGame& sent);
    // The best results: all, of one level set, of one month ("2026-12"), at most `limit`; they
    // are also put in *results when that is given.
    DeskAnswer Best(const std::string& levels, const std::string& month, const std::string& limit,
                    std::vector<FiledResult>* results = nullptr);
    // The accepted level sets.
    DeskAnswer LevelSets() const;
    // A result as the lists show it, with the address of its replay.
    nlohmann::json Entry(const FiledResult& result) const;

    ResultStore& Store() { return store_; }
    const AcceptedLevelSets& Sets() const { return sets_; }

  private:
    DeskAnswer Play(const SentGame& sent, const AcceptedLevelSet& set, int64_t score, int64_t level,
                    const std::string& key, const std::string& ending);
    // The answer to a send of a game filed before: its entry, when the claim is the filed one.
    DeskAnswer Earlier(const FiledResult& entry, int64_t score, int64_t level) const;

    ResultStore& store_;
    ReplayVerifier& verifier_;
    const AcceptedLevelSets& sets_;
    std::string workFolder_;
};

// A refusal: the status and the reason, in Czech.
DeskAnswer Refusal(int status, const std::string& reason);

}  // namespace ZapModule
