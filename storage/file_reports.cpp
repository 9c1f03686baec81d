// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/file_reports.h"

#include <algorithm>

#include "game/contract/window_port.h"
#include "storage/data_files.h"

namespace ZapModule {

namespace {

// Kept copies tried before giving up; a folder holding this many has a problem of its own.
constexpr int kMaxKeptCopies = 1000;

void Tell(GameState& s, const std::string& text) {
    if (s.Window) s.Window->ShowMessage(text, "Zapwall", MessageButtons::Ok);
}

// What happened to the original, as the end of a message.
std::string KeptText(GameState& s, const std::string& name) {
    const std::optional<std::string> copy =
        s.Files ? KeepDamagedCopy(*s.Files, name) : std::nullopt;
    if (copy) return "Původní soubor je uschován jako " + *copy + ".";
    const std::string why = s.Files ? s.Files->LastWriteProblem() : std::string();
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

void ReportDamagedFile(GameState& s, const std::string& name, const std::string& problem,
                       const std::string& used) {
    Tell(s, "Soubor " + name + " je poškozený (" + Detail(name, problem) + "). " +
                (used.empty() ? "" : used + " ") + KeptText(s, name));
}

void ReportUnreadableFile(GameState& s, const std::string& name) {
    const std::string why = s.Files ? s.Files->ReadProblem(name) : std::string();
    Tell(s, "Soubor " + name + " nelze přečíst" + (why.empty() ? "" : " (" + why + ")") +
                ", hra z něj nic nepoužila. " + KeptText(s, name));
}

void ReportFailedSave(GameState& s, const std::string& name,
                      const std::optional<std::string>& reason) {
    std::vector<std::string>& told = s.SaveFailuresReported;
    if (std::find(told.begin(), told.end(), name) != told.end()) return;
    told.push_back(name);
    const std::string where = s.Files ? s.Files->Where(name) : name;
    const std::string why = reason    ? *reason
                            : s.Files ? s.Files->LastWriteProblem()
                                      : std::string();
    const bool existed = s.Files && s.Files->Exists(name);
    const std::string text = "Soubor " + where + " se nepodařilo uložit" +
                             (why.empty() ? "" : ": " + why) + ". " +
                             (existed ? "Jeho dosavadní obsah zůstal beze změny."
                                      : "Soubor zatím neexistuje a nebyl vytvořen.");
    if (s.HeldSaveFailures) {
        s.HeldSaveFailures->push_back(text);
    } else {
        Tell(s, text);
    }
}

SaveFailureBatch::~SaveFailureBatch() {
    s_.HeldSaveFailures = outer_;
    if (outer_) {
        outer_->insert(outer_->end(), held_.begin(), held_.end());
    } else if (!held_.empty()) {
        std::string text = held_.front();
        for (size_t i = 1; i < held_.size(); ++i) text += "\n\n" + held_[i];
        Tell(s_, text);
    }
}

}  // namespace ZapModule
