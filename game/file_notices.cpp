// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/file_notices.h"

#include <algorithm>

#include "ports/window_port.h"

namespace ZapModule {

namespace {

void Tell(GameState& s, const std::string& text) {
    if (s.Window) s.Window->ShowMessage(text, "Zapwall", MessageButtons::Ok);
}

}  // namespace

void ReportDamagedFile(GameState& s, const std::string& name, const std::string& problem,
                       const std::string& used) {
    Tell(s, SetAsideDamagedFile(s.Files, name, problem, used));
}

void ReportUnreadableFile(GameState& s, const std::string& name) {
    Tell(s, SetAsideUnreadableFile(s.Files, name));
}

void ReportFailedSave(GameState& s, const std::string& name,
                      const std::optional<std::string>& reason) {
    std::vector<std::string>& told = s.SaveFailuresReported;
    if (std::find(told.begin(), told.end(), name) != told.end()) return;
    told.push_back(name);
    const std::string text = FailedSaveText(s.Files, name, reason);
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
