// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"

namespace ZapModule {

namespace {

CommandLine Asking(CommandLine::Action what, std::string problem = {}, std::string replay = {}) {
    CommandLine line;
    line.What = what;
    line.Problem = std::move(problem);
    line.Replay = std::move(replay);
    return line;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    using Action = CommandLine::Action;
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") return Asking(Action::Help);
        if (arg == "--version") return Asking(Action::Version);
    }
    if (!args.empty() && (args[0] == "--levels" || args[0] == "--player")) {
        const std::string& option = args[0];
        if (args.size() == 1)
            return Asking(Action::Refuse, option + " potřebuje " +
                                              (option == "--levels" ? "soubor" : "jméno hráče") +
                                              " (zapwall --help)");
        CommandLine rest = ParseCommandLine({args.begin() + 2, args.end()});
        if (rest.What == Action::Refuse) return rest;
        if (option == "--levels" ? !rest.Levels.empty() : rest.Player.has_value())
            return Asking(Action::Refuse, option + " jen jednou (zapwall --help)");
        if (option == "--levels") {
            rest.Levels = args[1];
        } else {
            if (rest.What != Action::Play)
                return Asking(Action::Refuse, "--player jen ke hře, ne ke sledování záznamu");
            rest.Player = args[1];
        }
        return rest;
    }
    if (args.empty()) return {};
    if (args.size() == 2 && args[0] == "--replay") return Asking(Action::Watch, {}, args[1]);
    if (args.size() == 1 && !args[0].empty() && args[0][0] != '-')
        return Asking(Action::Watch, {}, args[0]);
    if (args.front() == "--replay" && args.size() == 1)
        return Asking(Action::Refuse, "--replay potřebuje soubor (zapwall --help)");
    return Asking(Action::Refuse, "neznámý argument: " + args.front() + " (zapwall --help)");
}

std::string HelpText(const DataLayout& layout) {
    return "usage: zapwall [--help | --version | [--levels SET] [--player NAME | --replay FILE | "
           "FILE]]\n"
           "\n"
           "Zapwall, a bat-and-ball arcade game with Czech texts. Without arguments it opens\n"
           "the menu.\n"
           "\n"
           "  -h, --help      print this text and exit\n"
           "  --version       print the version and exit\n"
           "  --replay FILE   watch a recorded game (.zapwall-replay); FILE alone does the same\n"
           "  --levels SET    play the level set SET (a levels.ko, or a level text such as\n"
           "                  levels.txt, compiled) in place of the shipped one; its players,\n"
           "                  hall of fame and replays are kept apart, in\n"
           "                  " +
           layout.UserFolder +
           "/sets\n"
           "                  SET may be a set published to a hall server,\n"
           "                  SERVER/api/level-sets/ADDRESS: downloaded once and kept there,\n"
           "                  its results offered to that server\n"
           "  --player NAME   open the menu with the first player called NAME chosen, so that\n"
           "                  Enter starts the game (the level editor's test play uses it)\n"
           "\n"
           "Game data (read):                          " +
           layout.DataFolder +
           "\n"
           "Players, hall of fame and speed (written): " +
           layout.UserFolder + "\n" +
           "Replays of the games (written):            " + layout.UserFolder + "/replays\n";
}

}  // namespace ZapModule
