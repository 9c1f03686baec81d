// SPDX-License-Identifier: GPL-3.0-or-later
// The edits of the editor's document: where placed, moved and pasted bricks go, what a click and
// a rubber band find, the order of levels and the points a new brick gets, what an edit keeps for
// its undo and the rules' problems found again after it.

#include <gtest/gtest.h>

#include <functional>

#include "editor/level_set.h"
#include "editor/level_set_change.h"
#include "editor/level_set_check.h"
#include "tests/storage/storage_test_support.h"

using namespace ZapModule;

namespace {

BrickRecord At(int x, int y, int16_t points = 5, int16_t picture = 0, int16_t type = 0) {
    return MakeBrick(x, y, points, picture, type, 0);
}

std::vector<std::pair<int, int>> Places(const EditorLevel& level) {
    std::vector<std::pair<int, int>> places;
    for (const BrickRecord& b : level) places.emplace_back(b.X, b.Y);
    return places;
}

using Places_ = std::vector<std::pair<int, int>>;

TEST(EditorLevelSet, PlacedBricksKeepReadingOrderAndReplaceTheBrickInTheirPlace) {
    EditorLevel level;
    PlaceBrick(level, At(40, 25));
    PlaceBrick(level, At(0, 50));
    PlaceBrick(level, At(20, 25));
    EXPECT_EQ(PlaceBrick(level, At(0, 0)), 0u);
    EXPECT_EQ(Places(level), (Places_{{0, 0}, {20, 25}, {40, 25}, {0, 50}}));
    // A brick where one stands replaces it in its index.
    EXPECT_EQ(PlaceBrick(level, At(20, 25, 99)), 1u);
    EXPECT_EQ(level.size(), 4u);
    EXPECT_EQ(level[1].Points, 99);
    // A level out of reading order (as a file may give it) keeps the order of its bricks.
    EditorLevel unordered = {At(100, 100), At(0, 0)};
    PlaceBrick(unordered, At(0, 200));
    EXPECT_EQ(Places(unordered), (Places_{{100, 100}, {0, 0}, {0, 200}}));
}

TEST(EditorLevelSet, RemovingMovingAndPastingBricks) {
    EditorLevel level = {At(0, 0), At(20, 0), At(40, 0), At(0, 25)};
    RemoveBricks(level, {2, 0, 2, 9});  // repeated and missing indices are harmless
    EXPECT_EQ(Places(level), (Places_{{20, 0}, {0, 25}}));

    // A moved brick lands on (and replaces) the brick at its target; the indices are new.
    level = {At(0, 0, 1), At(20, 0, 2), At(40, 0, 3)};
    EXPECT_EQ(MoveBricks(level, {0}, 40, 0), std::vector<size_t>{1});
    EXPECT_EQ(Places(level), (Places_{{20, 0}, {40, 0}}));
    EXPECT_EQ(level[1].Points, 1);
    // Moving two bricks by one cell, one onto the other's old place, loses neither.
    level = {At(0, 0, 1), At(20, 0, 2)};
    EXPECT_EQ(MoveBricks(level, {0, 1}, 20, 25), (std::vector<size_t>{0, 1}));
    EXPECT_EQ(Places(level), (Places_{{20, 25}, {40, 25}}));

    // Pasting copies keeps the originals.
    const std::vector<size_t> pasted = PasteBricks(level, {level[0], level[1]}, 0, 50);
    EXPECT_EQ(pasted, (std::vector<size_t>{2, 3}));
    EXPECT_EQ(level.size(), 4u);
    EXPECT_EQ(level[3].Points, 2);
}

TEST(EditorLevelSet, PointsFindTheBrickDrawnOnTopAndBandsFindEveryBrickTheyMeet) {
    const EditorLevel level = {At(0, 0), At(10, 10), At(100, 100)};
    EXPECT_EQ(BrickAt(level, 15, 15), 1);  // both cover it: the later is drawn over the earlier
    EXPECT_EQ(BrickAt(level, 5, 5), 0);
    EXPECT_EQ(BrickAt(level, 20, 5), -1);  // right edges are outside
    EXPECT_EQ(BrickAt(level, 60, 60), -1);
    EXPECT_EQ(BricksMeeting(level, 19, 24, 101, 101), (std::vector<size_t>{0, 1, 2}));
    EXPECT_EQ(BricksMeeting(level, 20, 0, 100, 10), std::vector<size_t>{});
    EXPECT_EQ(BricksMeeting(level, 29, 30, 31, 31), std::vector<size_t>{1});
}

TEST(EditorLevelSet, GridSnapsToCellCornersOnBothSidesOfZero) {
    EXPECT_EQ((std::vector{SnapX(0), SnapX(39), SnapX(-1), SnapY(49), SnapY(-26)}),
              (std::vector{0, 20, -20, 25, -50}));
}

TEST(EditorLevelSet, EachLevelOperationTakesTheLevelsTitleAlong) {
    LevelSet set;
    for (const int16_t n : std::initializer_list<int16_t>{1, 2, 3})
        InsertLevel(set, set.Levels.size(), {At(0, 0, n)}, "T" + std::to_string(n));
    // Each level's points name its title, so the two lists stay aligned when this holds.
    const auto aligned = [&] {
        std::vector<std::string> expected;
        for (const EditorLevel& level : set.Levels)
            expected.push_back("T" + std::to_string(level[0].Points));
        return set.Titles == expected;
    };
    MoveLevel(set, 0, 2);
    EXPECT_EQ(set.Levels[0][0].Points, 2);
    EXPECT_EQ(set.Levels[2][0].Points, 1);
    EXPECT_TRUE(aligned());
    MoveLevel(set, 2, 1);
    EXPECT_EQ(set.Levels[1][0].Points, 1);
    EXPECT_TRUE(aligned());
    DuplicateLevel(set, 1);
    EXPECT_EQ(set.Levels[2], set.Levels[1]);
    EXPECT_TRUE(aligned());
    RemoveLevel(set, 0);
    EXPECT_TRUE(aligned());
    InsertLevel(set, 1, {});  // a new level has no title
    EXPECT_EQ(set.Titles, (std::vector<std::string>{"T1", "", "T1", "T3"}));
    EXPECT_EQ(set.Levels.size(), 4u);

    // A set from a levels.ko and a new set have a title, empty, for each level.
    EXPECT_EQ(DecodeLevelSet(EncodeLevelSet(set)).Titles, std::vector<std::string>(4));
    EXPECT_EQ(NewLevelSet().Titles, std::vector<std::string>(1));
}

TEST(EditorLevelSet, NewBricksGetTheSetsUsualPoints) {
    LevelSet set;
    set.Levels = {{At(0, 0, 7, 1), At(20, 0, 7, 1), At(40, 0, 9, 1), At(60, 0, 30, 8, 2)},
                  {At(0, 0, 30, 8, 2), At(20, 0, 9, 1)}};
    EXPECT_EQ(DefaultPoints(set, 1, 0), 7);  // 7 twice, 9 twice: the smaller
    EXPECT_EQ(DefaultPoints(set, 8, 2), 30);
    EXPECT_EQ(DefaultPoints(set, 3, 0), 7);  // no such brick yet: the set's most common points
    EXPECT_EQ(DefaultPoints(LevelSet{}, 0, 0), 10);
}

TEST(EditorLevelSet, EncodingIsTheLevelFileAndKeepsBytesAfterTheLastLevel) {
    using ZapModule::testing::Values16;
    const std::vector<uint8_t> file = ZapModule::testing::Concat(
        Values16({2, 1, 20, 25, 5, 3, 1, 8, 2, 0, 0, 1, 0, 0, 40, 0, 0, 7, 0, 0, 0}),
        {0xab, 0xcd, 0xef});
    const LevelSet set = DecodeLevelSet(file);
    ASSERT_EQ(set.Levels.size(), 2u);
    EXPECT_EQ(set.Levels[0][0], MakeBrick(20, 25, 5, 3, 1, 8));  // the picture before the type
    EXPECT_EQ(set.Levels[1].size(), 2u);
    EXPECT_EQ(set.Trailing, (std::vector<uint8_t>{0xab, 0xcd, 0xef}));
    EXPECT_EQ(EncodeLevelSet(set), file);
    EXPECT_EQ(EncodeLevelSet(NewLevelSet()).size(), 2u + 2u + 12u);
}

// Undo keeps what an edit changed, not the set: on a large set each kind of edit is undone and
// redone exactly while holding about the bricks and levels it touched.
TEST(EditorLevelSet, AnEditsChangeHoldsWhatItTouchedAndUndoesExactly) {
    LevelSet big;
    for (int l = 0; l < 12; ++l) {
        EditorLevel level;
        for (int i = 0; i < 3000; ++i) level.push_back(At(i % 24 * 20, i / 24 * 25, 5, 0, 0));
        level[0].Points = static_cast<int16_t>(l);  // no two levels alike
        InsertLevel(big, big.Levels.size(), level, "L" + std::to_string(l));
    }
    LevelSetCheck checked;
    checked.Update(big.Levels, 12);
    const size_t levelBytes = 3000 * sizeof(BrickRecord);
    const size_t kSmall = 4096;  // a few bricks, titles and the bookkeeping
    const struct {
        const char* Name;
        std::function<void(LevelSet&)> Edit;
        size_t AtMost;
    } edits[] = {
        {"a brick placed", [](LevelSet& s) { PlaceBrick(s.Levels[4], At(7, 3)); }, kSmall},
        {"bricks removed",
         [](LevelSet& s) {
             RemoveBricks(s.Levels[4], {10, 11, 12});
         },
         kSmall},
        {"a level moved down", [](LevelSet& s) { MoveLevel(s, 0, 11); }, kSmall},
        {"a level moved up", [](LevelSet& s) { MoveLevel(s, 9, 2); }, kSmall},
        {"levels swapped", [](LevelSet& s) { MoveLevel(s, 5, 6); }, kSmall},
        {"a level added", [](LevelSet& s) { InsertLevel(s, 3, {}); }, kSmall},
        {"a level duplicated", [](LevelSet& s) { DuplicateLevel(s, 3); }, levelBytes + kSmall},
        {"a level removed", [](LevelSet& s) { RemoveLevel(s, 7); }, levelBytes + kSmall},
        {"a title", [](LevelSet& s) { s.Titles[2] = "nový"; }, kSmall},
    };
    for (const auto& e : edits) {
        SCOPED_TRACE(e.Name);
        LevelSet after = big;
        e.Edit(after);
        const LevelSetChange change = DifferenceOf(big, after);
        EXPECT_LE(HeldBytes(change), e.AtMost);
        LevelSet set = big;
        Redo(set, change);
        EXPECT_EQ(set, after);
        Undo(set, change);
        EXPECT_EQ(set, big);
        // The check of the set before, brought up to the set after, is CheckLevelSet's.
        LevelSetCheck check = checked;
        check.Update(after.Levels, 12);
        const std::vector<LevelRuleProblem> problems = CheckLevelSet(after.Levels, 12);
        EXPECT_TRUE(check.First() == problems);
        EXPECT_EQ(check.Count(), problems.size());
        EXPECT_EQ(check.AnyRefused(), AnyRefused(problems));
        std::set<size_t> faulty;  // the 4th level's
        for (const LevelRuleProblem& p : problems)
            if (p.Level == 4 && p.Brick >= 0) faulty.insert(static_cast<size_t>(p.Brick));
        EXPECT_EQ(check.FaultyBricks(3), faulty);
    }
}

}  // namespace
