#include "app/command_line.h"

namespace ZapModule {

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") return {CommandLine::Action::Help, {}};
        if (arg == "--version") return {CommandLine::Action::Version, {}};
    }
    if (args.empty()) return {};
    return {CommandLine::Action::Refuse,
            "neznámý argument / unknown argument: " + args.front() + " (zapwall --help)"};
}

std::string HelpText(const DataLayout& layout) {
    return "usage: zapwall [--help | --version]\n"
           "\n"
           "Zapwall, a bat-and-ball arcade game with Czech texts. Without arguments it opens\n"
           "the menu.\n"
           "\n"
           "  -h, --help   print this text and exit\n"
           "  --version    print the version and exit\n"
           "\n"
           "Game data (read):                          " +
           layout.DataFolder +
           "\n"
           "Players, hall of fame and speed (written): " +
           layout.UserFolder + "\n";
}

}  // namespace ZapModule
