// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/level_set_check.h"

#include <algorithm>
#include <string>

namespace ZapModule {

namespace {

// A problem of the level checked as number `from`, for its place `to` now.
LevelRuleProblem Renumbered(LevelRuleProblem problem, int from, int to) {
    if (from == to) return problem;
    problem.Level = to;
    problem.Text = LevelName(to) + problem.Text.substr(LevelName(from).size());
    return problem;
}

}  // namespace

void LevelSetCheck::Update(const std::vector<EditorLevel>& levels, int brickPictures) {
    if (brickPictures != brickPictures_) levels_.clear();
    brickPictures_ = brickPictures;
    setProblems_.clear();
    if (std::string refused = LevelCountProblem(static_cast<int64_t>(levels.size()));
        !refused.empty())
        setProblems_.push_back({true, 0, -1, std::move(refused)});

    const size_t shorter = std::min(levels.size(), levels_.size());
    size_t head = 0;
    while (head < shorter && levels_[head].Bricks == levels[head]) ++head;
    size_t tail = 0;
    while (tail < shorter - head &&
           levels_[levels_.size() - 1 - tail].Bricks == levels[levels.size() - 1 - tail])
        ++tail;
    std::vector<CheckedLevel> changed(levels.size() - head - tail);
    for (size_t i = 0; i < changed.size(); ++i) {
        CheckedLevel& level = changed[i];
        level.Bricks = levels[head + i];
        level.Number = static_cast<int>(head + i + 1);
        CheckLevel(level.Bricks, level.Number, brickPictures, level.Problems);
    }
    const auto at = levels_.begin() + static_cast<std::ptrdiff_t>(head);
    levels_.erase(at, levels_.end() - static_cast<std::ptrdiff_t>(tail));
    levels_.insert(levels_.begin() + static_cast<std::ptrdiff_t>(head),
                   std::make_move_iterator(changed.begin()),
                   std::make_move_iterator(changed.end()));

    count_ = setProblems_.size();
    for (const CheckedLevel& level : levels_) count_ += level.Problems.size();
}

bool LevelSetCheck::AnyRefused() const {
    return !setProblems_.empty() ||
           std::any_of(levels_.begin(), levels_.end(), [](const CheckedLevel& level) {
               return ZapModule::AnyRefused(level.Problems);
           });
}

std::vector<LevelRuleProblem> LevelSetCheck::First(size_t most, bool refusedOnly) const {
    std::vector<LevelRuleProblem> first(
        setProblems_.begin(),
        setProblems_.begin() + static_cast<std::ptrdiff_t>(std::min(most, setProblems_.size())));
    for (size_t l = 0; l < levels_.size() && first.size() < most; ++l) {
        for (const LevelRuleProblem& p : levels_[l].Problems) {
            if (first.size() == most) break;
            if (!refusedOnly || p.Refused)
                first.push_back(Renumbered(p, levels_[l].Number, static_cast<int>(l + 1)));
        }
    }
    return first;
}

std::set<size_t> LevelSetCheck::FaultyBricks(size_t level) const {
    std::set<size_t> faulty;
    if (level < levels_.size())
        for (const LevelRuleProblem& p : levels_[level].Problems)
            if (p.Brick >= 0) faulty.insert(static_cast<size_t>(p.Brick));
    return faulty;
}

}  // namespace ZapModule
