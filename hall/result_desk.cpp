// SPDX-License-Identifier: GPL-3.0-or-later
#include "hall/result_desk.h"

#include <fcntl.h>
#include <unistd.h>

#include <regex>

#include "hall/sent_replay.h"
#include "shell/hall_send.h"
#include "storage/replay_file.h"

namespace ZapModule {

namespace {

// The sent replay as a file for zapwall-sim, removed when the play is over.
class ReplayOnDisk {
  public:
    ReplayOnDisk(const std::string& folder, std::string_view text)
        : path_(folder + "/sent-XXXXXX.zapwall-replay") {
        const int fd = mkstemps(path_.data(), static_cast<int>(kReplayExtension.size()));
        if (fd < 0) {
            path_.clear();
            return;
        }
        for (size_t written = 0; written < text.size();) {
            const ssize_t now = write(fd, text.data() + written, text.size() - written);
            if (now <= 0) {
                written_ = false;
                break;
            }
            written += static_cast<size_t>(now);
        }
        written_ = close(fd) == 0 && written_;
    }
    ~ReplayOnDisk() {
        if (!path_.empty()) unlink(path_.c_str());
    }
    ReplayOnDisk(const ReplayOnDisk&) = delete;
    ReplayOnDisk& operator=(const ReplayOnDisk&) = delete;

    bool Ok() const { return !path_.empty() && written_; }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
    bool written_ = true;
};

}  // namespace

DeskAnswer Refusal(int status, const std::string& reason) {
    return {status, {{"filed", false}, {"reason", reason}}};
}

ResultDesk::ResultDesk(ResultStore& store, ReplayVerifier& verifier, const AcceptedLevelSets& sets,
                       std::string workFolder)
    : store_(store), verifier_(verifier), sets_(sets), workFolder_(std::move(workFolder)) {}

nlohmann::json ResultDesk::Entry(const FiledResult& r) const {
    const AcceptedLevelSet* set = sets_.Find(r.Levels);
    return {{"id", r.Id},         {"name", r.Name},
            {"score", r.Score},   {"level", r.Level},
            {"levels", r.Levels}, {"levelSet", set ? set->Name : ""},
            {"ending", r.Ending}, {"steps", r.Steps},
            {"filed", r.Filed},   {"replay", "/api/replays/" + std::to_string(r.Id)}};
}

DeskAnswer ResultDesk::Send(const SentGame& sent) {
    if (std::string problem = NicknameProblem(sent.Name); !problem.empty())
        return Refusal(400, problem);
    const std::optional<int64_t> score = ClaimedNumber(sent.Score);
    const std::optional<int64_t> level = ClaimedNumber(sent.Level);
    if (!score || !level) return Refusal(400, "chybí nárokované skóre a úroveň (score, level)");
    if (sent.Replay.empty()) return Refusal(400, "chybí záznam hry");
    if (sent.Replay.size() > kMaxReplayFileSize)
        return Refusal(413, "záznam hry je větší než 64 MiB");
    const std::optional<std::string_view> levels = ReplayLine(sent.Replay, "levels");
    if (!levels) return Refusal(422, "záznam neudává sadu úrovní, nebo to není záznam hry");
    const AcceptedLevelSet* set = sets_.Find(*levels);
    if (!set)
        return Refusal(422,
                       "hry na sadě úrovní " + std::string(*levels) + " tento server nepřijímá");
    // The ending the file claims; only a replay that plays out to it is filed.
    const std::string ending(ReplayLine(sent.Replay, "end", true).value_or(""));
    const std::string how = ending.substr(ending.rfind(' ') + 1);
    if (!ending.empty() && how != "quit" && how != "gameover")
        return Refusal(422, "hra nebyla dohrána: neskončila koncem hry ani odchodem z ní");
    const std::string key = GameKey(sent.Replay);
    if (ResultStore::Filing earlier = store_.Find(key); !earlier.Problem.empty())
        return Refusal(500, "databáze selhala: " + earlier.Problem);
    else if (earlier.Entry)
        return Earlier(*earlier.Entry, *score, *level);
    return Play(sent, *set, *score, *level, key, how);
}

DeskAnswer ResultDesk::Play(const SentGame& sent, const AcceptedLevelSet& set, int64_t score,
                            int64_t level, const std::string& key, const std::string& ending) {
    const ReplayOnDisk file(workFolder_, sent.Replay);
    if (!file.Ok()) return Refusal(503, "záznam nelze uložit k přehrání");
    const PlayedReplay played = verifier_.Play(file.Path(), set.DataFolder, workFolder_ + "/user");
    if (!played.Problem.empty()) return Refusal(played.ServerFault ? 503 : 422, played.Problem);
    if (ending != "quit" && ending != "gameover")
        return Refusal(422, "hra nebyla dohrána: neskončila koncem hry ani odchodem z ní");
    const int64_t shown = ShownLevel(static_cast<int32_t>(played.Level));
    if (played.Score != score || shown != level)
        return Refusal(422, "hra skončila s IQ " + std::to_string(played.Score) + " na úrovni " +
                                std::to_string(shown) + ", ne s IQ " + std::to_string(score) +
                                " na úrovni " + std::to_string(level));
    const ResultStore::Filing filing = store_.File(
        {key, sent.Name, score, level, set.Hash, ending, played.Steps, std::string(sent.Replay)});
    if (!filing.Entry) return Refusal(500, "databáze selhala: " + filing.Problem);
    if (filing.Earlier) return Earlier(*filing.Entry, score, level);
    return {201, {{"filed", true}, {"earlier", false}, {"entry", Entry(*filing.Entry)}}};
}

DeskAnswer ResultDesk::Earlier(const FiledResult& entry, int64_t score, int64_t level) const {
    if (entry.Score != score || entry.Level != level)
        return Refusal(422, "tato hra je už zapsána, a to s IQ " + std::to_string(entry.Score) +
                                " na úrovni " + std::to_string(entry.Level));
    return {200, {{"filed", true}, {"earlier", true}, {"entry", Entry(entry)}}};
}

DeskAnswer ResultDesk::Best(const std::string& levels, const std::string& month,
                            const std::string& limit, std::vector<FiledResult>* results) {
    static const std::regex kMonth("[0-9]{4}-[0-9]{2}");
    if (!month.empty() && !std::regex_match(month, kMonth))
        return Refusal(400, "měsíc se píše jako 2026-12");
    if (!levels.empty() && !sets_.Find(levels))
        return Refusal(404, "sadu úrovní " + levels + " tento server nepřijímá");
    const std::optional<int64_t> count = limit.empty() ? 100 : ClaimedNumber(limit);
    if (!count || *count < 1 || *count > 1000) return Refusal(400, "limit je číslo od 1 do 1000");
    std::string problem;
    const std::vector<FiledResult> best =
        store_.Best({levels, month, static_cast<int>(*count)}, &problem);
    if (!problem.empty()) return Refusal(500, "databáze selhala: " + problem);
    nlohmann::json entries = nlohmann::json::array();
    for (const FiledResult& r : best) entries.push_back(Entry(r));
    if (results) *results = best;
    return {200, {{"results", entries}}};
}

DeskAnswer ResultDesk::LevelSets() const {
    nlohmann::json sets = nlohmann::json::array();
    for (const AcceptedLevelSet& set : sets_.All())
        sets.push_back({{"levels", set.Hash}, {"name", set.Name}});
    return {200, {{"levelSets", sets}}};
}

}  // namespace ZapModule
