// SPDX-License-Identifier: GPL-3.0-or-later
// zapwall-hall-server: a hall of fame over HTTP whose every entry is a replay the server played
// to its end through the game's engine. It keeps its results in a database and nothing else, so
// any number of copies can serve one database.

#include <pthread.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <thread>

#include "hall/accepted_level_sets.h"
#include "hall/hall_http.h"
#include "hall/hall_settings.h"
#include "hall/http_server.h"
#include "hall/level_set_store.h"
#include "hall/replay_verifier.h"
#include "hall/result_desk.h"
#include "hall/result_store.h"
#include "hall/send_budget.h"
#include "hall/sent_replay.h"
#include "layout/data_layout.h"
#include "model/version.h"
#include "platform/file_reading.h"
#include "storage/disk_data_files.h"
#include "storage/file_problems.h"

namespace ZapModule {
namespace {

namespace fs = std::filesystem;

// The threads that wait for the connections; every request but a send is answered there.
constexpr unsigned kPollingThreads = 4;

constexpr const char* kWorkPrefix = "zapwall-hall-";
constexpr const char* kOwnerFile = "/server.pid";

// Removes the work folders that servers killed before their end left behind: those whose
// server, named in the folder, runs no more.
void RemoveStaleWorkFolders(const fs::path& temporary) {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(temporary, error)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(kWorkPrefix) || !entry.is_directory(error) || entry.is_symlink(error))
            continue;
        // A folder without its owner's number is one being made right now, or no server's.
        const FileRead owner = ReadRegularFile(entry.path().string() + kOwnerFile, 32);
        if (!owner.Ok()) continue;
        const std::string text(owner.Bytes.begin(), owner.Bytes.end());
        const long pid = std::strtol(text.c_str(), nullptr, 10);
        if (pid > 0 && (kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)) continue;
        fs::remove_all(entry.path(), error);
    }
}

// A folder of the server's own for the level sets' data folders and the replays being played,
// removed at the end; it names the server, so that a later one can remove it if it is killed.
class WorkFolder {
  public:
    WorkFolder() {
        std::error_code error;
        const fs::path temporary = fs::temp_directory_path(error);
        if (error) return;
        RemoveStaleWorkFolders(temporary);
        std::string pattern = (temporary / (std::string(kWorkPrefix) + "XXXXXX")).string();
        if (!mkdtemp(pattern.data())) return;
        const std::string pid = std::to_string(getpid()) + "\n";
        if (int failed = 0;
            ReplaceFile(pattern + kOwnerFile, {pid.begin(), pid.end()}, {}, &failed))
            path_ = pattern;
        else
            fs::remove_all(pattern, error);
    }
    ~WorkFolder() {
        std::error_code error;
        if (!path_.empty()) fs::remove_all(path_, error);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

// Hides a published level set or a result, or shows it again.
int Hide(const HallSettings& settings, const HallHiding& hiding) {
    ResultStore store(settings.Sqlite, settings.Postgresql);
    LevelSetStore levelSets(settings.Sqlite, settings.Postgresql);
    std::string problem = store.Open();
    if (problem.empty()) problem = levelSets.Open();
    const std::optional<int64_t> id = hiding.Set ? std::nullopt : ClaimedNumber(hiding.Id);
    bool found = false;
    if (problem.empty() && (hiding.Set || id))
        found = hiding.Set ? levelSets.Hide(hiding.Id, hiding.Hidden, &problem)
                           : store.Hide(*id, hiding.Hidden, &problem);
    if (!problem.empty()) {
        std::cerr << "zapwall-hall-server: the database cannot be used: " << problem << "\n";
        return 1;
    }
    const std::string what = (hiding.Set ? "level set " : "result ") + hiding.Id;
    if (!found) {
        std::cerr << "zapwall-hall-server: there is no " << what << "\n";
        return 1;
    }
    std::cout << "zapwall-hall-server: " << what << (hiding.Hidden ? " hidden" : " shown") << "\n";
    return 0;
}

int Serve(const HallSettings& settings, const sigset_t& stopSignals) {
    const WorkFolder work;
    std::error_code error;
    if (work.Path().empty() || !fs::create_directory(work.Path() + "/user", error)) {
        std::cerr << "zapwall-hall-server: a working folder cannot be made in "
                  << fs::temp_directory_path(error).string() << "\n";
        return 1;
    }
    if (!settings.Site.empty() && !fs::is_directory(settings.Site, error)) {
        std::cerr << "zapwall-hall-server: " << settings.Site << ": no such folder\n";
        return 1;
    }
    std::string problem;
    ResultStore store(settings.Sqlite, settings.Postgresql);
    LevelSetStore levelSets(settings.Sqlite, settings.Postgresql);
    if (problem = store.Open(); problem.empty()) problem = levelSets.Open();
    if (!problem.empty()) {
        std::cerr << "zapwall-hall-server: the database cannot be used: " << problem << "\n";
        return 1;
    }
    const DataLayout game = ToolLayout(settings.Data, std::nullopt);
    AcceptedLevelSets sets;
    if (!sets.Prepare(game, settings.Levels, work.Path(), levelSets, &problem)) {
        std::cerr << "zapwall-hall-server: " << problem << "\n";
        return 1;
    }
    const int verifiers = settings.Verifiers > 0
                              ? settings.Verifiers
                              : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    // Every replay is played by the zapwall-sim installed beside the server.
    const std::string sim = game.ProgramFolder + "/zapwall-sim";
    if (access(sim.c_str(), X_OK) != 0) {
        std::cerr << "zapwall-hall-server: " << sim << " cannot be run\n";
        return 1;
    }
    ReplayVerifier verifier(
        sim, {settings.VerifySeconds, static_cast<uint64_t>(settings.VerifyMegabytes) << 20},
        verifiers);
    // A data folder the game refuses would refuse every game sent.
    for (const AcceptedLevelSet& set : sets.Installed())
        if (problem = verifier.CheckFolder(set.DataFolder, work.Path() + "/user");
            !problem.empty()) {
            std::cerr << "zapwall-hall-server: " << problem << "\n";
            return 1;
        }
    SendBudget budget(settings.SendsPerMinute, settings.CpuPerMinute);
    ResultDesk desk(store, levelSets, verifier, sets, budget, work.Path());

    // A send waits on its own worker for a verifier: as many workers as the verifiers and
    // their queue hold, so a send beyond them is told at once to come back.
    HttpLimits limits;
    limits.BodyBytes = kMaxSentReplayBytes;
    limits.PollingThreads = kPollingThreads;
    limits.Workers = static_cast<unsigned>(verifiers + settings.Waiting);
    limits.PerAddress = static_cast<unsigned>(settings.ConnectionsPerAddress);
    limits.RequestSeconds = static_cast<unsigned>(settings.RequestSeconds);
    HttpServer server(HallHandlers(desk, budget, settings.Site, settings.TrustedProxy), limits);
    const int port = server.Start(settings.Listen, settings.Port, &problem);
    if (port < 0) {
        std::cerr << "zapwall-hall-server: cannot listen on " << settings.Listen << " port "
                  << settings.Port << ": " << problem << "\n";
        return 1;
    }
    const std::string portText = std::to_string(port) + "\n";
    if (int failed = 0;
        !settings.PortFile.empty() &&
        !ReplaceFile(settings.PortFile, {portText.begin(), portText.end()}, {}, &failed)) {
        std::cerr << "zapwall-hall-server: " << settings.PortFile << ": " << WriteErrorText(failed)
                  << "\n";
        return 1;
    }
    std::cout << "zapwall-hall-server: listening on http://" << settings.Listen << ":" << port
              << "/" << std::endl;
    // SIGINT and SIGTERM stop the server.
    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.Stop();
    return 0;
}

}  // namespace
}  // namespace ZapModule

int main(int argc, char** argv) {
    using ZapModule::HallInvocation;
    const HallInvocation call = ZapModule::ParseHallArguments(argc, argv);
    switch (call.What) {
        case HallInvocation::Ask::Help:
            std::cout << ZapModule::kHallUsage;
            return 0;
        case HallInvocation::Ask::Version:
            std::cout << "zapwall-hall-server " << ZapModule::kVersion << "\n";
            return 0;
        case HallInvocation::Ask::Refused:
            std::cerr << "zapwall-hall-server: " << call.Problem << "\n" << ZapModule::kHallUsage;
            return 2;
        case HallInvocation::Ask::Hide: {
            const QCoreApplication app(argc, argv);
            return ZapModule::Hide(call.Settings, call.Hiding);
        }
        case HallInvocation::Ask::Run:
            break;
    }
    // Every thread leaves the stopping signals to the one that waits for them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    // A client gone while it is answered is the answer's failure, not the server's end.
    signal(SIGPIPE, SIG_IGN);
    // Qt's database drivers are plugins, found through the application.
    const QCoreApplication app(argc, argv);
    return ZapModule::Serve(call.Settings, stopSignals);
}
