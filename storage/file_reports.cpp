// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/file_reports.h"

namespace ZapModule {

namespace {

// Kept copies tried before giving up; a folder holding this many has a problem of its own.
constexpr int kMaxKeptCopies = 1000;

// What happened to the original, as the end of a message.
std::string KeptText(DataFiles* files, const std::string& name) {
    const std::optional<std::string> copy = files ? KeepDamagedCopy(*files, name) : std::nullopt;
    if (copy) return "Původní soubor je uschován jako " + *copy + ".";
    const std::string why = files ? files->LastWriteProblem() : std::string();
    return "Původní soubor se nepodařilo uschovat" + (why.empty() ? "" : " (" + why + ")") +
           " a při příštím uložení bude nahrazen.";
}

// "players.ko: hráč 2 …" without the file's name, which the message gives already.
std::string Detail(const std::string& name, const std::string& problem) {
    const std::string prefix = name + ": ";
    return problem.starts_with(prefix) ? problem.substr(prefix.size()) : problem;
}

}  // namespace

std::optional<std::string> KeepDamagedCopy(DataFiles& files, const std::string& name) {
    for (int number = 0; number < kMaxKeptCopies; ++number) {
        const std::string copy =
            name + ".damaged" + (number == 0 ? "" : "." + std::to_string(number));
        if (files.Exists(copy)) continue;
        if (files.Copy(name, copy)) return copy;
        // Taken in the meantime: try the next number; any other failure ends the attempt.
        if (!files.Exists(copy)) return std::nullopt;
    }
    return std::nullopt;
}

std::string SetAsideDamagedFile(DataFiles* files, const std::string& name,
                                const std::string& problem, const std::string& used) {
    return "Soubor " + name + " je poškozený (" + Detail(name, problem) + "). " +
           (used.empty() ? "" : used + " ") + KeptText(files, name);
}

std::string SetAsideUnreadableFile(DataFiles* files, const std::string& name) {
    const std::string why = files ? files->ReadProblem(name) : std::string();
    return "Soubor " + name + " nelze přečíst" + (why.empty() ? "" : " (" + why + ")") +
           ", hra z něj nic nepoužila. " + KeptText(files, name);
}

std::string FailedSaveText(DataFiles* files, const std::string& name,
                           const std::optional<std::string>& reason) {
    const std::string where = files ? files->Where(name) : name;
    const std::string why = reason ? *reason : files ? files->LastWriteProblem() : std::string();
    const bool existed = files && files->Exists(name);
    return "Soubor " + where + " se nepodařilo uložit" + (why.empty() ? "" : ": " + why) + ". " +
           (existed ? "Jeho dosavadní obsah zůstal beze změny."
                    : "Soubor zatím neexistuje a nebyl vytvořen.");
}

}  // namespace ZapModule
