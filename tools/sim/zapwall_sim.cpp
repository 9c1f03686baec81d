// SPDX-License-Identifier: GPL-3.0-or-later
// zapwall-sim: the real engine without windows. It loads a data folder as the game does at
// start-up, starts a game as the menu's Start does, replays scripted input, runs game steps and
// writes the state as JSON and the field as a picture. Every rule it runs is the game's own.

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <list>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "game/input.h"
#include "game/kept_files.h"
#include "game/level_flow.h"
#include "game/recording_window.h"
#include "game/replay.h"
#include "game/startup.h"
#include "game/tick.h"
#include "layout/data_layout.h"
#include "model/version.h"
#include "pictures/picture_loader.h"
#include "platform/number_text.h"
#include "platform/single_copy_lock.h"
#include "shell/closing.h"
#include "storage/disk_data_files.h"
#include "storage/file_problems.h"
#include "storage/memory_data_files.h"
#include "storage/replay_folder.h"
#include "tools/sim/input_script.h"
#include "tools/sim/replay_server.h"
#include "tools/sim/sound_tally.h"
#include "tools/sim/state_json.h"
#include "values/data_limits.h"

namespace ZapModule {
namespace {

constexpr const char* kUsage =
    "usage: zapwall-sim [--data DIR] [--user-data DIR] [--player NAME] [--state FILE]\n"
    "                   [--seed N | --random LIST] [--input FILE] [--steps N] [--tick N]\n"
    "                   [--sound on|off] [--record FILE] [--out FILE] [--frame FILE] [--save]\n"
    "       zapwall-sim --replay FILE [--data DIR] [--user-data DIR] [--out FILE] [--frame FILE]\n"
    "                   [--save] [--check-every N] [--summary]\n"
    "       zapwall-sim --serve [--cpu-seconds N] [--memory-megabytes N]\n"
    "       zapwall-sim --help | --version\n"
    "--data DIR alone is a portable folder (the game's data and the player's files together);\n"
    "--user-data DIR names the player's files; what is not named is what the game would use.\n"
    "--check-every N runs the replay twice side by side and compares the two games' data every\n"
    "N steps and at the end; the first check at which they differ is reported (status 1).\n"
    "--summary writes only the result to --out: IQ, level, balls left and steps.\n"
    "--serve plays the replays requested on standard input, a socket, each as --replay FILE\n"
    "--out - --summary would, in a process of its own with these limits (60 s, 1024 MB).\n"
    "Status 3: the data folder or the player's files cannot be used.\n";

struct Options {
    enum class Ask { Run, Help, Version };
    Ask What = Ask::Run;
    std::optional<std::string> Data, UserData;
    std::optional<std::string> Player, State, Input, Out, Frame, Record, Replay;
    uint32_t Seed = 1;
    std::vector<float> Random;
    int64_t Steps = 1000;
    int64_t CheckEvery = 0;  // 0: the replay runs once
    int16_t Tick = 1;
    bool Sound = true;
    bool Save = false;
    bool Summary = false;  // --out gets only the result, whose size does not grow with the game
    bool Serve = false;
    ServeLimits Limits;
};

// An unusable invocation: the reason and the usage go to stderr and the exit status is 2.
struct UsageError {
    std::string Reason;
};

// A run that cannot go on (a replay file that cannot be read or is refused, an output that
// cannot be written): the reason goes to stderr and the exit status is 1.
struct RunFailure {
    std::string Reason;
};

// The folders cannot be played on (the game would refuse its data folder, or --save finds the
// game running on the player's files): status 3, so that a caller can tell the folders' fault
// from the replay's.
constexpr int kFoldersUnusable = 3;

template <typename Number>
Number ParseNumber(const std::string& text, const std::string& what) {
    Number value{};
    const char* end = text.data() + text.size();
    const char* stop = nullptr;
    const auto [ptr, ec] = [&] {
        if constexpr (std::is_floating_point_v<Number>) {
            return FloatFromChars(text.data(), end, value);
        } else {
            return std::from_chars(text.data(), end, value);
        }
    }();
    if (ec == std::errc()) stop = ptr;
    if (stop != end || text.empty()) throw UsageError{what + ": not a number: " + text};
    return value;
}

Options ParseOptions(int argc, char** argv) {
    Options o;
    bool seeded = false;
    int serving = 0;  // arguments that belong to --serve
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw UsageError{arg + " needs a value"};
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            o.What = Options::Ask::Help;
            return o;
        } else if (arg == "--version") {
            o.What = Options::Ask::Version;
            return o;
        } else if (arg == "--data") {
            o.Data = value();
        } else if (arg == "--user-data") {
            o.UserData = value();
        } else if (arg == "--player") {
            o.Player = value();
        } else if (arg == "--state") {
            o.State = value();
        } else if (arg == "--seed") {
            o.Seed = ParseNumber<uint32_t>(value(), arg);
            seeded = true;
        } else if (arg == "--random") {
            std::stringstream list(value());
            for (std::string item; std::getline(list, item, ',');) {
                const float r = ParseNumber<float>(item, arg);
                if (!(r >= 0.0f && r < 1.0f))
                    throw UsageError{arg + ": " + item + " is not in [0, 1)"};
                o.Random.push_back(r);
            }
            if (o.Random.empty()) throw UsageError{arg + " needs at least one number"};
        } else if (arg == "--input") {
            o.Input = value();
        } else if (arg == "--steps") {
            o.Steps = ParseNumber<int64_t>(value(), arg);
            if (o.Steps < 0) throw UsageError{"--steps must not be negative"};
        } else if (arg == "--sound") {
            const std::string v = value();
            if (v != "on" && v != "off") throw UsageError{"--sound takes on or off"};
            o.Sound = v == "on";
        } else if (arg == "--out") {
            o.Out = value();
        } else if (arg == "--frame") {
            o.Frame = value();
        } else if (arg == "--save") {
            o.Save = true;
        } else if (arg == "--summary") {
            o.Summary = true;
        } else if (arg == "--serve") {
            o.Serve = true;
            ++serving;
        } else if (arg == "--cpu-seconds") {
            serving += 2;
            o.Limits.CpuSeconds = ParseNumber<int>(value(), arg);
            if (o.Limits.CpuSeconds < 1) throw UsageError{"--cpu-seconds takes a number from 1"};
        } else if (arg == "--memory-megabytes") {
            serving += 2;
            const auto megabytes = ParseNumber<uint32_t>(value(), arg);
            if (megabytes < 1) throw UsageError{"--memory-megabytes takes a number from 1"};
            o.Limits.MemoryBytes = uint64_t{megabytes} << 20;
        } else if (arg == "--tick") {
            o.Tick = ParseNumber<int16_t>(value(), arg);
            if (o.Tick < 1 || o.Tick > 10000) throw UsageError{"--tick takes 1 to 10000"};
        } else if (arg == "--record") {
            o.Record = value();
        } else if (arg == "--replay") {
            o.Replay = value();
        } else if (arg == "--check-every") {
            o.CheckEvery = ParseNumber<int64_t>(value(), arg);
            if (o.CheckEvery < 1) throw UsageError{"--check-every takes a number of steps from 1"};
        } else {
            throw UsageError{"unknown argument " + arg};
        }
    }
    if (o.Serve) {
        // Each request names its folders and its replay.
        if (serving != argc - 1)
            throw UsageError{"--serve takes only --cpu-seconds and --memory-megabytes"};
        return o;
    }
    if (serving > 0) throw UsageError{"--cpu-seconds and --memory-megabytes limit --serve"};
    if (o.Replay) {
        // The recording holds everything the game began with; only where to run it is asked.
        const bool scripted = o.Player || o.State || o.Input || o.Record || seeded ||
                              !o.Random.empty() || o.Steps != 1000 || o.Tick != 1 || !o.Sound;
        if (scripted)
            throw UsageError{
                "--replay takes only --data, --user-data, --out, --frame, --save, --check-every "
                "and --summary"};
        return o;
    }
    if (o.CheckEvery != 0) throw UsageError{"--check-every checks a --replay"};
    if (seeded && !o.Random.empty()) throw UsageError{"--seed and --random exclude each other"};
    if (o.Record && (o.State || !o.Random.empty()))
        throw UsageError{"--record needs a game begun from a seed: not with --state or --random"};
    return o;
}

std::string ReadText(const std::string& path) {
    std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(path, kMaxKeptFileBytes);
    if (!bytes) throw UsageError{"cannot read " + path};
    return std::string(bytes->begin(), bytes->end());
}

Json Report(const GameState& s, const RecordingWindow& window, const SoundTally& sound,
            int64_t steps) {
    Json j = StateToJson(s);
    j["Steps"] = steps;
    j["TimerInterval"] = window.Interval;
    j["Label1"] = window.Label1;
    j["Label3"] = window.Label3;
    Json visible = Json::array();
    for (bool v : window.Label3Visible) visible.push_back(v ? -1 : 0);
    j["Label3Visible"] = visible;
    j["Sounds"] = sound.Played;
    j["SoundUpdates"] = sound.Updates;
    j["Messages"] = Json::array();
    for (const RecordingWindow::Message& m : window.Messages)
        j["Messages"].push_back({{"Text", m.Text}, {"Title", m.Title}});
    j["Players"] = Json::array();
    for (const PlayerRecord& p : s.Players)
        j["Players"].push_back(
            {{"Name", p.Name}, {"Iq", p.Iq}, {"Level", p.Level}, {"SpareBalls", p.SpareBalls}});
    j["Hall"] = Json::array();
    for (const HallEntry& e : s.Hall) j["Hall"].push_back({{"Name", e.Name}, {"Score", e.Score}});
    return j;
}

// The headless game: the real rules over a window stand-in, the player's files held in memory
// over their folder (nothing reaches it unless --save commits it) and a tally of the sound
// requests.
struct Sim {
    DataLayout layout;
    // Held by a run that saves: a running game writes the player's files at its exit, so a save
    // beside it would be lost or would overwrite the game's progress.
    std::optional<SingleCopyLock> lock;
    RecordingWindow window;
    DiskDataFiles disk;
    MemoryDataFiles files{&disk};
    std::shared_ptr<SoundTally> tally = std::make_shared<SoundTally>();
    GameState s;
    StartupResult loaded;

    explicit Sim(const Options& o)
        : layout(ToolLayout(o.Data, o.UserData)), disk(layout.UserFolder) {
        if (o.Save) lock.emplace(layout.UserFolder);
        s.AppPath = layout.ProgramFolder;
        s.DataFolder = layout.DataFolder;
        s.Window = &window;
        s.Files = &files;
        tally->KeepNames = o.Out.has_value() && !o.Summary;
        s.SoundFactory = [tally = tally] { return std::make_unique<TallyingSound>(tally); };
        if (o.Frame) s.Field = Surface(kFieldWidth, kFieldHeight);
    }

    // What the game begins with beside its folders: loading uses neither.
    void Begin(uint32_t seed, bool sound) {
        window.SoundSwitch = sound;
        s.Random.Seed(seed);
    }

    // Start-up's loading; false (after saying why) when the folder cannot be played, or cannot
    // be saved to while a game runs on it.
    bool Load() {
        if (lock && lock->Result() == SingleCopyLock::Outcome::HeldByAnother) {
            std::cerr << "zapwall-sim: " << layout.UserFolder
                      << ": na této složce už běží Zapwall\n";
            return false;
        }
        if (lock && !lock->SetAside().empty())
            std::cerr << "zapwall-sim: " << LockSetAsideText(lock->Path(), lock->SetAside())
                      << "\n";
        loaded = LoadGameData(s, LoadPicture);
        if (loaded.Refusal.empty()) return true;
        std::cerr << "zapwall-sim: " << loaded.Refusal << "\n";
        return false;
    }
};

// "PATH: soubor nelze zapsat (disk je plný)" for a write that failed with `error` (0: unknown).
std::string NotWritten(const std::string& path, int error) {
    return path + ": " + CannotWriteText(WriteErrorText(error));
}

void WriteTextFile(const std::string& path, const std::string& text) {
    if (int error = 0;
        !ReplaceFile(path, std::vector<uint8_t>(text.begin(), text.end()), {}, &error))
        throw RunFailure{NotWritten(path, error)};
}

// What every run ends with: the roster and hall saved with --save, the field and the state.
int WriteResults(Sim& sim, const Options& o, int64_t steps) {
    // The folder is written as the game writes it: each held write and kept copy in the order
    // the game made it, so a damaged file's kept copy lands before the file is replaced.
    std::vector<std::string> notWritten;
    if (o.Save) {
        // What the game screen's close handler keeps of the game.
        KeepPlayersProgress(sim.s);
        std::vector<MemoryDataFiles::NotWritten> failed;
        sim.files.Commit(&failed);
        for (const MemoryDataFiles::NotWritten& file : failed) {
            std::cerr << "zapwall-sim: " << sim.disk.PathOf(file.Name) << ": "
                      << CannotWriteText(file.Problem) << "\n";
            notWritten.push_back(file.Name);
        }
    } else {
        notWritten = sim.files.Pending();
    }
    int status = o.Save && !notWritten.empty() ? 1 : 0;
    errno = 0;
    if (o.Frame && !SavePicturePng(sim.s.Field, *o.Frame)) {
        std::cerr << "zapwall-sim: " << NotWritten(*o.Frame, errno) << "\n";
        status = 1;
    }
    if (o.Out) {
        Json report = o.Summary ? Json{{"Iq", sim.s.Iq},
                                       {"Level", sim.s.Level},
                                       {"BallsLeft", sim.s.BallsLeft},
                                       {"Steps", steps}}
                                : Report(sim.s, sim.window, *sim.tally, steps);
        // The game's messages speak of files it wrote; say which of them this run did not.
        if (!notWritten.empty()) report["NotWritten"] = notWritten;
        // A name is UTF-8 wherever it came from; should one not be, it is shown, not fatal.
        const std::string text = report.dump(1, ' ', false, Json::error_handler_t::replace) + "\n";
        if (*o.Out == "-") {
            std::cout << text;
        } else {
            errno = 0;
            std::ofstream out(*o.Out, std::ios::binary);
            if (!(out << text) || !out.flush()) {
                std::cerr << "zapwall-sim: " << NotWritten(*o.Out, errno) << "\n";
                status = 1;
            }
        }
    }
    return status;
}

// A game from the options: a player, a state, scripted input by loop iteration.
int RunScripted(const Options& o) {
    Sim sim(o);
    sim.Begin(o.Seed, o.Sound);
    GameState& s = sim.s;
    if (!o.Random.empty()) s.Random.UseSequence(o.Random);
    if (!sim.Load()) return kFoldersUnusable;

    if (o.Player) {
        int16_t index = -1;
        for (size_t i = 0; i < s.Players.size() && index < 0; ++i)
            if (s.Players[i].Name == *o.Player) index = static_cast<int16_t>(i);
        if (index < 0) throw UsageError{"no player named " + *o.Player + " in the roster"};
        StartGame(s, index, o.Tick);
    } else {
        StartGameAs(s, PlayerRecord{std::string(kNoPlayerName), 0, 0, 3}, o.Tick);
    }
    if (o.State) {
        Json state;
        try {
            state = Json::parse(ReadText(*o.State));
        } catch (const Json::parse_error& e) {
            throw UsageError{*o.State + ": " + e.what()};
        }
        const std::string error = ApplyJsonState(s, state);
        if (!error.empty()) throw UsageError{*o.State + ": " + error};
    }
    InputScript script;
    if (o.Input) {
        script = ParseInputScript(ReadText(*o.Input));
        if (!script.Error.empty()) throw UsageError{*o.Input + ": " + script.Error};
    }

    // A recording's clock: the nominal time of the loop iteration, Tick passes of 1.25 µs each.
    int64_t iteration = 0;
    ReplayRecorder recorder;
    if (o.Record) {
        const ReplayOrigin origin{o.Seed, sim.loaded.LevelsHash, sim.loaded.AnimationsHash,
                                  RecordedTime(std::time(nullptr))};
        recorder.Begin(s, origin, [&] { return iteration * s.Tick * 1250 / 1000000; });
        s.Recorder = &recorder;
    }
    int64_t steps = 0;
    for (; iteration < o.Steps && s.Unloaded != kTrue; ++iteration) {
        if (auto events = script.ByIteration.find(iteration); events != script.ByIteration.end())
            for (const ReplayEvent& e : events->second) DeliverInput(s, e);
        if (sim.window.Interval != 1 || s.Paused != kFalse || s.Unloaded == kTrue) continue;
        GameStep(s);
        ++steps;
    }
    if (o.Record) {
        s.Recorder = nullptr;
        WriteTextFile(*o.Record, ReplayText(recorder.Finish(s)));
    }
    return WriteResults(sim, o, steps);
}

// Every drawing pass paints the whole field, so the last picture of a replay needs only its last
// two steps drawn (a game over ends its step before the drawing): the rest run without a field.
struct LastPicture {
    bool Wanted = false;
    int64_t EndStep = 0;

    void BeforeStep(GameState& s, int64_t step) const {
        if (Wanted && step + 2 >= EndStep && s.Field.Empty())
            s.Field = Surface(kFieldWidth, kFieldHeight);
    }
    void AtEnd(GameState& s) const {
        if (Wanted && s.Field.Empty()) s.Field = Surface(kFieldWidth, kFieldHeight);
    }
};

// Starts the recorded game on the loaded folder: 0, or the exit status (after saying why) when
// the folder cannot replay it.
int StartReplay(Sim& sim, const Options& o, const Replay& r) {
    sim.Begin(r.Seed, r.Sound);
    if (const std::optional<std::string> file =
            DifferingDataFile(r, sim.s, sim.loaded.LevelsHash, sim.loaded.AnimationsHash)) {
        std::cerr << "zapwall-sim: " << *o.Replay << ": hra byla nahrána s jiným souborem " << *file
                  << ", než je " << DataPath(sim.s, *file) << "\n";
        return 1;
    }
    StartRecordedGame(sim.s, r);
    sim.s.Field = Surface();
    return 0;
}

Replay ReadReplay(const std::string& path) {
    ReplayParse parsed = ReadReplayFile(path);
    if (!parsed.Read) throw RunFailure{path + ": " + parsed.Problem};
    return std::move(*parsed.Read);
}

// A recorded game on the loaded folder, run to its end as it was played. With --check-every a
// second, independent game runs the same recording in lockstep, and the two games' data must
// stay equal.
int PlayReplay(Sim& sim, const Options& o, const Replay& r) {
    const LastPicture picture{!sim.s.Field.Empty(), r.EndStep};
    if (const int refused = StartReplay(sim, o, r)) return refused;
    ReplayRun run;
    if (o.CheckEvery > 0) {
        // The twin only reads: it neither saves nor holds the folder's lock.
        Options reading = o;
        reading.Save = false;
        Sim twin(reading);
        if (!twin.Load()) return kFoldersUnusable;
        if (const int refused = StartReplay(twin, o, r)) return refused;
        const TwinRun twice =
            RunRecordedGameTwice(sim.s, twin.s, r, o.CheckEvery,
                                 [&](GameState& s, int64_t step) { picture.BeforeStep(s, step); });
        if (!twice.Difference.empty()) {
            std::cerr << "zapwall-sim: " << *o.Replay << ": dvakrát přehraná hra se liší po kroku "
                      << twice.DifferingAfter << ": " << twice.Difference << "\n";
            return 1;
        }
        run = twice.Run;
    } else {
        run = RunRecordedGame(sim.s, r, [&](int64_t step) { picture.BeforeStep(sim.s, step); });
    }
    picture.AtEnd(sim.s);
    // The game screen's close handler stores the player's progress.
    StoreCurrentPlayer(sim.s);
    if (!run.Divergence.empty()) {
        std::cerr << "zapwall-sim: " << *o.Replay
                  << ": hra neproběhla tak, jak byla nahrána: " << run.Divergence << "\n";
        return 1;
    }
    return WriteResults(sim, o, run.Steps);
}

int RunReplay(const Options& o) {
    const Replay r = ReadReplay(*o.Replay);
    Sim sim(o);
    if (!sim.Load()) return kFoldersUnusable;
    return PlayReplay(sim, o, r);
}

// The status of `run`, with what no check foresaw (a usage that cannot be run, memory running
// out, a file system's fault) said and ending it as a failure instead of an abort.
template <typename Run>
int Guarded(const Run& run) {
    try {
        return run();
    } catch (const UsageError& e) {
        std::cerr << "zapwall-sim: " << e.Reason << "\n" << kUsage;
        return 2;
    } catch (const RunFailure& e) {
        std::cerr << "zapwall-sim: " << e.Reason << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "zapwall-sim: " << e.what() << "\n";
        return 1;
    }
}

// --serve: the folders of the latest requests stay loaded, the least recently used given up
// beyond a few.
int Serve(const Options& o) {
    constexpr size_t kLoadedFolders = 16;
    struct Loaded {
        std::string Key;
        Options For;
        std::unique_ptr<Sim> Ready;
    };
    std::list<Loaded> loaded;  // the latest used first
    const auto keyOf = [](const ReplayRequest& request) {
        return request.DataFolder + '\0' + request.UserFolder;
    };
    ReplayServerCalls calls;
    calls.Prepare = [&](const ReplayRequest& request) {
        return Guarded([&] {
                   const std::string key = keyOf(request);
                   for (auto at = loaded.begin(); at != loaded.end(); ++at)
                       if (at->Key == key) {
                           loaded.splice(loaded.begin(), loaded, at);
                           return 0;
                       }
                   Options served;
                   served.Data = request.DataFolder;
                   served.UserData = request.UserFolder;
                   served.Out = "-";
                   served.Summary = true;
                   auto sim = std::make_unique<Sim>(served);
                   if (!sim->Load()) return kFoldersUnusable;
                   loaded.push_front({key, served, std::move(sim)});
                   if (loaded.size() > kLoadedFolders) loaded.pop_back();
                   return 0;
               }) == 0;
    };
    // Prepare has just put the request's folders first.
    calls.Play = [&](const ReplayRequest& request) {
        return Guarded([&] {
            Loaded& folders = loaded.front();
            Options played = folders.For;
            played.Replay = request.Replay;
            return PlayReplay(*folders.Ready, played, ReadReplay(request.Replay));
        });
    };
    return ServeReplays(STDIN_FILENO, o.Limits, calls);
}

}  // namespace
}  // namespace ZapModule

int main(int argc, char** argv) {
    using namespace ZapModule;
    return Guarded([&] {
        const Options options = ParseOptions(argc, argv);
        if (options.What == Options::Ask::Help) {
            std::cout << kUsage;
            return 0;
        }
        if (options.What == Options::Ask::Version) {
            std::cout << "zapwall-sim " << kVersion << "\n";
            return 0;
        }
        if (options.Serve) return Serve(options);
        return options.Replay ? RunReplay(options) : RunScripted(options);
    });
}
