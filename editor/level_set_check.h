// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rules' problems of the set being edited (CheckLevelSet's), found again after an edit only
// for the levels it changed: the levels at the start and the end of the set that equal those
// checked last keep their problems, so an edit of one level of a set of a million bricks checks
// that level alone. A kept level that moved has its problems renumbered when they are asked for.

#include <cstddef>
#include <limits>
#include <set>
#include <vector>

#include "editor/level_set.h"
#include "storage/level_rules.h"

namespace ZapModule {

class LevelSetCheck {
  public:
    // Brings the problems up to `levels`, against a brick sheet of `brickPictures` pictures.
    void Update(const std::vector<EditorLevel>& levels, int brickPictures);

    size_t Count() const { return count_; }
    bool AnyRefused() const;
    // The first `most` problems in CheckLevelSet's order, or only the refused ones.
    std::vector<LevelRuleProblem> First(size_t most = std::numeric_limits<size_t>::max(),
                                        bool refusedOnly = false) const;
    // The bricks of level `level` (0-based) that have a problem of their own.
    std::set<size_t> FaultyBricks(size_t level) const;

  private:
    struct CheckedLevel {
        EditorLevel Bricks;
        int Number = 0;  // the level's number when it was checked
        std::vector<LevelRuleProblem> Problems;
    };

    std::vector<LevelRuleProblem> setProblems_;  // of the level count
    std::vector<CheckedLevel> levels_;
    int brickPictures_ = -1;
    size_t count_ = 0;
};

}  // namespace ZapModule
