// SPDX-License-Identifier: GPL-3.0-or-later
#include "hall/result_desk.h"

#include <fcntl.h>
#include <unistd.h>

#include <regex>

#include "hall/sent_replay.h"
#include "hall_protocol/hall_send.h"
#include "platform/file_reading.h"
#include "storage/file_problems.h"
#include "storage/level_text.h"
#include "values/data_limits.h"

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

// How long a sender is asked to wait: the queue of replays is full, or the server failed.
constexpr int kRetryBusy = 10;
constexpr int kRetryFault = 60;

}  // namespace

DeskAnswer DatabaseFailed(const std::string& problem) {
    return Refusal(503, "databáze selhala: " + problem, kRetryBusy);
}

const std::string kTooLargeReplay =
    "záznam hry je větší než " + std::to_string(kMaxSentReplayBytes >> 20) + " MiB";

DeskAnswer Refusal(int status, const std::string& reason, int retryAfter) {
    return {status, {{"filed", false}, {"reason", reason}}, retryAfter};
}

ResultDesk::ResultDesk(ResultStore& store, LevelSetStore& levelSets, ReplayVerifier& verifier,
                       const AcceptedLevelSets& sets, SendBudget& budget, std::string workFolder)
    : store_(store),
      levelSets_(levelSets),
      verifier_(verifier),
      sets_(sets),
      budget_(budget),
      workFolder_(std::move(workFolder)) {}

nlohmann::json ResultDesk::Entry(const FiledResult& r) const {
    nlohmann::json entry = {
        {"id", r.Id},         {"name", r.Name},
        {"score", r.Score},   {"level", r.Level},
        {"levels", r.Levels}, {"levelSet", sets_.NameOf(r.Levels)},
        {"ending", r.Ending}, {"steps", r.Steps},
        {"filed", r.Filed},   {"replay", "/api/replays/" + std::to_string(r.Id)}};
    if (r.Continues != 0) entry["continues"] = r.Continues;
    return entry;
}

DeskAnswer ResultDesk::Send(const SentGame& sent) {
    if (std::string problem = NicknameProblem(sent.Name); !problem.empty())
        return Refusal(400, problem);
    const std::optional<int64_t> score = ClaimedNumber(sent.Score);
    const std::optional<int64_t> level = ClaimedNumber(sent.Level);
    if (!score || !level) return Refusal(400, "chybí nárokované skóre a úroveň (score, level)");
    if (sent.Replay.empty()) return Refusal(400, "chybí záznam hry");
    if (sent.Replay.size() > kMaxSentReplayBytes) return Refusal(413, kTooLargeReplay);
    const ReplayParse parsed = ParseReplay(sent.Replay);
    if (!parsed.Read) return Refusal(422, "záznam hry nelze přečíst: " + parsed.Problem);
    const Replay& game = *parsed.Read;
    const std::string levels = LevelsHashText(game.LevelsHash);
    std::string problem;
    const std::optional<AcceptedLevelSet> set = sets_.Find(levels, &problem);
    if (!problem.empty()) return DatabaseFailed(problem);
    if (!set) return Refusal(422, "hry na sadě úrovní " + levels + " tento server nepřijímá");
    if (set->Published && set->Published->Hidden)
        return Refusal(422, "hry na sadě " + set->Name + " tento server už nepřijímá");
    if (game.End != ReplayEnd::Quit && game.End != ReplayEnd::GameOver)
        return Refusal(422, "hra nebyla dohrána: neskončila koncem hry ani odchodem z ní");
    if (game.EndStep > kMaxSentReplaySteps)
        return Refusal(422, "hra je delší než " + std::to_string(kMaxSentReplaySteps) +
                                " kroků, které server přehraje");
    if (problem = PlayerProblem(game); !problem.empty()) return Refusal(422, problem);
    const Claim claim{*score, *level};
    const std::string key = GameKey(game);
    if (ResultStore::Filing earlier = store_.Find(key); !earlier.Problem.empty())
        return DatabaseFailed(earlier.Problem);
    else if (earlier.Entry)
        return Earlier(*earlier.Entry, claim);
    // A saved player's game is the next of a run whose every game the hall has played.
    std::optional<int64_t> continues;
    if (!StartsAsNewPlayer(game)) {
        continues = store_.Continued(set->Hash, StartStateKey(game), &problem);
        if (!problem.empty()) return DatabaseFailed(problem);
        if (!continues)
            return Refusal(422, "hra pokračuje s uloženým hráčem " + game.Player.Name + " (IQ " +
                                    std::to_string(game.Player.Iq) + ", úroveň " +
                                    std::to_string(ShownLevel(game.Player.Level)) + ", míčky " +
                                    std::to_string(game.Player.SpareBalls) +
                                    "), ale hra, která ho tak zanechala, v síni slávy není");
    }
    if (const int wait = budget_.CpuWait(sent.Sender); wait > 0)
        return Refusal(429,
                       "hry z této adresy už zabraly serveru příliš mnoho času, zkuste to za " +
                           std::to_string(wait) + " s",
                       wait);
    return Play(sent, game, *set, key, claim, continues);
}

DeskAnswer ResultDesk::Play(const SentGame& sent, const Replay& game, const AcceptedLevelSet& set,
                            const std::string& key, Claim claim, std::optional<int64_t> continues) {
    const ReplayOnDisk file(workFolder_, sent.Replay);
    if (!file.Ok()) return Refusal(503, "záznam nelze uložit k přehrání", kRetryBusy);
    const PlayedReplay played = verifier_.Play(file.Path(), set.DataFolder, workFolder_ + "/user");
    budget_.SpendCpu(sent.Sender, played.CpuSeconds);
    if (!played.Problem.empty())
        return played.ServerFault ? Refusal(503, played.Problem, kRetryFault)
                                  : Refusal(422, played.Problem);
    const int64_t shown = ShownLevel(static_cast<int32_t>(played.Level));
    if (played.Score != claim.Score || shown != claim.Level)
        return Refusal(422, "hra skončila s IQ " + std::to_string(played.Score) + " na úrovni " +
                                std::to_string(shown) + ", ne s IQ " + std::to_string(claim.Score) +
                                " na úrovni " + std::to_string(claim.Level));
    const bool quit = game.End == ReplayEnd::Quit;
    const ResultStore::Filing filing = store_.File(
        {key, sent.Name, claim.Score, claim.Level, set.Hash, std::string(ReplayEndName(game.End)),
         played.Steps, std::string(sent.Replay), continues,
         quit ? PlayerStateKey(game, static_cast<int32_t>(played.Score),
                               static_cast<int32_t>(played.Level), played.BallsLeft)
              : std::string()});
    if (!filing.Entry) return DatabaseFailed(filing.Problem);
    if (filing.Earlier) return Earlier(*filing.Entry, claim);
    return {201, {{"filed", true}, {"earlier", false}, {"entry", Entry(*filing.Entry)}}};
}

DeskAnswer ResultDesk::Earlier(const FiledResult& entry, Claim claim) const {
    if (entry.Score != claim.Score || entry.Level != claim.Level)
        return Refusal(422, "tato hra je už zapsána, a to s IQ " + std::to_string(entry.Score) +
                                " na úrovni " + std::to_string(entry.Level));
    return {200, {{"filed", true}, {"earlier", true}, {"entry", Entry(entry)}}};
}

DeskAnswer ResultDesk::Best(const std::string& levels, const std::string& month,
                            const std::string& limit, std::vector<FiledResult>* results) {
    static const std::regex kMonth("[0-9]{4}-[0-9]{2}");
    if (!month.empty() && !std::regex_match(month, kMonth))
        return Refusal(400, "měsíc se píše jako 2026-12");
    std::string problem;
    if (const std::optional<AcceptedLevelSet> set =
            levels.empty() ? std::nullopt : sets_.Find(levels, &problem);
        !levels.empty() && (!set || (set->Published && set->Published->Hidden)))
        return problem.empty() ? Refusal(404, "sadu úrovní " + levels + " tento server nepřijímá")
                               : DatabaseFailed(problem);
    const std::optional<int64_t> count = limit.empty() ? 100 : ClaimedNumber(limit);
    if (!count || *count < 1 || *count > 1000) return Refusal(400, "limit je číslo od 1 do 1000");
    const std::vector<FiledResult> best =
        store_.Best({levels, month, static_cast<int>(*count)}, &problem);
    if (!problem.empty()) return DatabaseFailed(problem);
    nlohmann::json entries = nlohmann::json::array();
    for (const FiledResult& r : best) entries.push_back(Entry(r));
    if (results) *results = best;
    return {200, {{"results", entries}}};
}

std::vector<ListedSet> ResultDesk::Listed(std::string* problem) {
    std::vector<ListedSet> listed;
    for (const AcceptedLevelSet& set : sets_.Installed()) listed.push_back({set});
    for (PublishedSet& published : levelSets_.All(problem))
        listed.push_back(
            {{published.Levels, published.Address, published.Title, "", std::move(published)}});
    const std::vector<SetTally> tallies =
        problem->empty() ? store_.Tallies(problem) : std::vector<SetTally>();
    for (ListedSet& set : listed)
        for (const SetTally& tally : tallies)
            if (tally.Levels == set.Set.Hash) {
                set.Results = tally.Results;
                set.Best = tally.Best;
            }
    return listed;
}

DeskAnswer ResultDesk::LevelSets() {
    std::string problem;
    const std::vector<ListedSet> listed = Listed(&problem);
    if (!problem.empty()) return DatabaseFailed(problem);
    nlohmann::json sets = nlohmann::json::array();
    for (const ListedSet& listing : listed) {
        const AcceptedLevelSet& set = listing.Set;
        const std::string file = "/api/level-sets/" + set.Address;
        nlohmann::json entry = {{"levels", set.Hash},
                                {"address", set.Address},
                                {"name", set.Name},
                                {"results", listing.Results},
                                {"best", listing.Best},
                                {"file", file + "/levels.ko"},
                                {"text", file + "/levels.txt"},
                                {"published", set.Published.has_value()}};
        if (set.Published) {
            entry["author"] = set.Published->Author;
            entry["date"] = set.Published->Published;
            entry["levelCount"] = set.Published->LevelCount;
        }
        sets.push_back(std::move(entry));
    }
    return {200, {{"levelSets", sets}}};
}

std::optional<std::vector<uint8_t>> ResultDesk::SetFile(const std::string& address,
                                                        std::string* problem) {
    problem->clear();
    for (const AcceptedLevelSet& set : sets_.Installed())
        if (set.Address == address) {
            FileRead read = ReadRegularFile(set.DataFolder + "/levels.ko", kMaxLevelFileBytes);
            if (read.Ok()) return std::move(read.Bytes);
            *problem = DescribeReadFailure(read);
            return std::nullopt;
        }
    std::vector<uint8_t> file;
    if (address.size() != 64 || !levelSets_.Find(address, &file, problem)) return std::nullopt;
    return file;
}

const std::string kTooLargeSet =
    "sada úrovní je větší než " + std::to_string(kMaxPublishedSetBytes >> 20) + " MiB";

DeskAnswer ResultDesk::Publish(const SentLevelSet& sent) {
    if (std::string problem = NicknameProblem(sent.Author); !problem.empty())
        return Refusal(400, problem);
    if (std::string problem = TitleProblem(sent.Title); !problem.empty())
        return Refusal(400, problem);
    if (sent.File.empty()) return Refusal(400, "chybí sada úrovní");
    if (sent.File.size() > kMaxPublishedSetBytes) return Refusal(413, kTooLargeSet);
    std::vector<uint8_t> levels(sent.File.begin(), sent.File.end());
    if (!sent.Compiled) {
        CompiledLevels compiled = CompileLevelText(sent.File);
        if (!compiled.Errors.empty())
            return Refusal(422, FormatLevelTextError("sada", compiled.Errors[0]));
        levels = std::move(compiled.Bytes);
    }
    const std::string address = LevelsAddress(levels);
    const std::string hash = LevelsHashText(Fnv1a64(levels));
    std::string problem;
    // The game's own checks, as it would load the set to play it.
    const std::optional<std::string> folder = sets_.PrepareFolder(address, levels, &problem);
    if (!folder) return Refusal(422, problem);
    if (problem = verifier_.CheckFolder(*folder, workFolder_ + "/user"); !problem.empty())
        return Refusal(422, problem);
    PublishedSet set{
        address,     hash, sent.Title,
        sent.Author, "",   levels.size() >= 2 ? int64_t{levels[0]} | int64_t{levels[1]} << 8 : 0,
        false};
    const std::optional<AcceptedLevelSet> installed = sets_.Find(hash, &problem);
    if (!problem.empty()) return DatabaseFailed(problem);
    if (installed && !installed->Published)
        return installed->Address == address
                   ? DeskAnswer{200, {{"published", true}, {"earlier", true}, {"address", address}}}
                   : Refusal(409,
                             "záznamy her by tuto sadu nerozlišily od sady " + installed->Name);
    const LevelSetStore::Publishing publishing = levelSets_.Publish(set, levels);
    if (!publishing.Problem.empty()) return DatabaseFailed(publishing.Problem);
    using Outcome = LevelSetStore::Publishing::Outcome;
    if (publishing.Kept.Hidden) return Refusal(403, "tuto sadu správce serveru skryl");
    if (publishing.What == Outcome::Collides)
        return Refusal(409,
                       "záznamy her by tuto sadu nerozlišily od sady " + publishing.Kept.Title);
    return {publishing.What == Outcome::New ? 201 : 200,
            {{"published", true},
             {"earlier", publishing.What == Outcome::Earlier},
             {"address", publishing.Kept.Address},
             {"levels", publishing.Kept.Levels},
             {"name", publishing.Kept.Title},
             {"author", publishing.Kept.Author}}};
}

}  // namespace ZapModule
