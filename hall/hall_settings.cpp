// SPDX-License-Identifier: GPL-3.0-or-later
#include "hall/hall_settings.h"

#include <charconv>
#include <string_view>

namespace ZapModule {

const char* const kHallUsage =
    "usage: zapwall-hall-server [--listen ADDRESS] [--port N] [--port-file FILE]\n"
    "                           [--sqlite FILE | --postgresql CONNINFO] [--data DIR]\n"
    "                           [--levels FILE]... [--site DIR] [--sends-per-minute N]\n"
    "                           [--cpu-per-minute N] [--trusted-proxy ADDRESS]\n"
    "                           [--verifiers N] [--waiting N] [--verify-seconds N]\n"
    "                           [--verify-megabytes N] [--connections-per-address N]\n"
    "                           [--request-seconds N]\n"
    "       zapwall-hall-server [--sqlite FILE | --postgresql CONNINFO]\n"
    "                           hide|show set ADDRESS | hide|show result ID\n"
    "       zapwall-hall-server --help | --version\n"
    "A hall of fame for Zapwall whose every entry is a replay that the server played through the\n"
    "game's engine (zapwall-sim beside it) to the very score and level the player claims.\n"
    "  --listen ADDRESS       the address to listen on (127.0.0.1)\n"
    "  --port N               the TCP port (8765); 0 takes any free one\n"
    "  --port-file FILE       writes the port there once the server listens\n"
    "  --sqlite FILE          the SQLite database (zapwall-hall.sqlite), made when missing\n"
    "  --postgresql CONNINFO  a PostgreSQL database instead, as libpq's key=value string\n"
    "                         (\"host=/run/postgresql dbname=zapwall_hall\")\n"
    "  --data DIR             the game's data folder (the installed game's)\n"
    "  --levels FILE          accepts games on this level set too (a level text or levels.ko)\n"
    "  --site DIR             the browser edition to play the entries in, served under /play/\n"
    "  --sends-per-minute N   sends taken from one address (an IPv6 /64) a minute (10);\n"
    "                         0: no limit\n"
    "  --cpu-per-minute N     CPU seconds of verification one address may use a minute (30);\n"
    "                         0: no limit\n"
    "  --trusted-proxy ADDRESS  the reverse proxy in front: its requests are the player's\n"
    "                         whose address its X-Forwarded-For header names last\n"
    "  --verifiers N          replays verified at once (one per processor)\n"
    "  --waiting N            replays waiting for a verifier at most (4); more are answered 503\n"
    "  --verify-seconds N     CPU seconds a verification may take (60)\n"
    "  --verify-megabytes N   memory a verification may take (1024)\n"
    "  --connections-per-address N  connections one address (an IPv6 /64) may hold open (32)\n"
    "  --request-seconds N    seconds a request may take to come whole (30)\n"
    "hide takes a published level set (by its address or its replays' hash) or a result (by\n"
    "its number) off every list and page, and a hidden set takes no new results; show undoes\n"
    "it.\n";

namespace {

bool ReadCount(std::string_view text, int lowest, int& value) {
    int read = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), read);
    if (error != std::errc() || end != text.data() + text.size() || read < lowest) return false;
    value = read;
    return true;
}

}  // namespace

HallInvocation ParseHallArguments(int argc, const char* const* argv) {
    HallInvocation call;
    HallSettings& s = call.Settings;
    auto refuse = [&](std::string problem) {
        call.What = HallInvocation::Ask::Refused;
        call.Problem = std::move(problem);
        return call;
    };
    struct Count {
        const char* Option;
        int* Value;
        int Lowest;
    };
    const Count counts[] = {{"--port", &s.Port, 0},
                            {"--sends-per-minute", &s.SendsPerMinute, 0},
                            {"--cpu-per-minute", &s.CpuPerMinute, 0},
                            {"--verifiers", &s.Verifiers, 1},
                            {"--waiting", &s.Waiting, 0},
                            {"--verify-seconds", &s.VerifySeconds, 1},
                            {"--verify-megabytes", &s.VerifyMegabytes, 64},
                            {"--connections-per-address", &s.ConnectionsPerAddress, 1},
                            {"--request-seconds", &s.RequestSeconds, 1}};
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            call.What = HallInvocation::Ask::Help;
            return call;
        }
        if (arg == "--version") {
            call.What = HallInvocation::Ask::Version;
            return call;
        }
        if (arg == "hide" || arg == "show") {
            if (i + 2 >= argc || (std::string_view(argv[i + 1]) != "set" &&
                                  std::string_view(argv[i + 1]) != "result"))
                return refuse(std::string(arg) + " takes set ADDRESS or result ID");
            call.What = HallInvocation::Ask::Hide;
            call.Hiding = {std::string_view(argv[i + 1]) == "set", argv[i + 2], arg == "hide"};
            i += 2;
            continue;
        }
        if (i + 1 >= argc) return refuse(std::string(arg) + " needs a value");
        const std::string value = argv[++i];
        bool known = true;
        if (arg == "--listen") {
            s.Listen = value;
        } else if (arg == "--port-file") {
            s.PortFile = value;
        } else if (arg == "--sqlite") {
            s.Sqlite = value;
        } else if (arg == "--postgresql") {
            s.Postgresql = value;
        } else if (arg == "--data") {
            s.Data = value;
        } else if (arg == "--levels") {
            s.Levels.push_back(value);
        } else if (arg == "--site") {
            s.Site = value;
        } else if (arg == "--trusted-proxy") {
            s.TrustedProxy = value;
        } else {
            known = false;
        }
        for (const Count& count : counts) {
            if (arg != count.Option) continue;
            known = true;
            if (!ReadCount(value, count.Lowest, *count.Value) || s.Port > 65535)
                return refuse(std::string(arg) + " takes a whole number of at least " +
                              std::to_string(count.Lowest) + ", not " + value);
        }
        if (!known) return refuse("unknown argument " + std::string(arg));
    }
    return call;
}

}  // namespace ZapModule
