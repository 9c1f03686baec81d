// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings of zapwall-hall-server, all from its command line: where it listens, which
// database holds the results, which data folder and level sets a replay is played on, what a
// send may cost.

#include <optional>
#include <string>
#include <vector>

namespace ZapModule {

struct HallSettings {
    std::string Listen = "127.0.0.1";
    int Port = 8765;       // 0: any free port (see PortFile)
    std::string PortFile;  // written with the port once the server listens
    std::string Sqlite = "zapwall-hall.sqlite";
    std::string Postgresql;           // a libpq connection string; chosen over SQLite when given
    std::optional<std::string> Data;  // the game's data folder; the installed one otherwise
    std::vector<std::string> Levels;  // level sets accepted besides the game's own
    std::string Site;                 // the browser edition, served under /play/
    int SendsPerMinute = 10;          // per sender; 0: no limit
    int CpuPerMinute = 30;            // CPU seconds of verification per sender; 0: no limit
    std::string TrustedProxy;         // the reverse proxy whose X-Forwarded-For is believed
    int Verifiers = 0;                // replays verified at once; 0: one per processor
    int Waiting = 4;                  // replays waiting for a verifier at most
    int VerifySeconds = 60;           // CPU seconds one verification may take
    int VerifyMegabytes = 1024;       // memory one verification may take
    int ConnectionsPerAddress = 32;   // connections open at once from one sender
    int RequestSeconds = 30;          // for a request to come whole
};

// The operator's order to hide a published level set or a result from every list, or to show
// it again.
struct HallHiding {
    bool Set = false;  // a level set (its address or replays' hash); a result's number otherwise
    std::string Id;
    bool Hidden = true;
};

struct HallInvocation {
    enum class Ask { Run, Help, Version, Refused, Hide };
    Ask What = Ask::Run;
    HallSettings Settings;
    HallHiding Hiding;
    std::string Problem;  // why the command line was refused
};

extern const char* const kHallUsage;

HallInvocation ParseHallArguments(int argc, const char* const* argv);

}  // namespace ZapModule
