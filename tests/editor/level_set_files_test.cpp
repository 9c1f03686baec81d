// SPDX-License-Identifier: GPL-3.0-or-later
// Opening and saving level sets: the shipped set goes through the editor unchanged, an edited set
// is saved as text that compiles to exactly the saved levels.ko, and damaged or foreign files are
// refused with their reason while nothing on disk changes.

#include <gtest/gtest.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <optional>

#include "editor/level_set_files.h"
#include "storage/level_file.h"
#include "storage/level_text.h"
#include "tests/storage/storage_test_support.h"

using namespace ZapModule;
using ZapModule::testing::FilesIn;
using ZapModule::testing::ReadBytes;
using ZapModule::testing::ReadText;
using ZapModule::testing::TempFolder;
using ZapModule::testing::WriteBytes;
using ZapModule::testing::WriteText;

namespace {

const std::string kShippedText = std::string(ZAPWALL_SOURCE_DIR) + "/assets/levels.txt";

std::string Save(const std::string& path, const LevelSet& set, const OpenedLevelSet& opened) {
    return SaveLevelSet(SavePathsFor(path), LevelSetText(set, opened.Set, opened.Text),
                        EncodeLevelSet(set));
}

TEST(EditorFiles, TheShippedSetGoesThroughTheEditorChangingNoByte) {
    const OpenedLevelSet opened = OpenLevelSetFile(kShippedText);
    ASSERT_TRUE(opened.Problems.empty()) << opened.Problems[0];
    const std::vector<uint8_t> compiled = CompileLevelText(ReadText(kShippedText)).Bytes;
    EXPECT_EQ(EncodeLevelSet(opened.Set), compiled);

    TempFolder folder;
    ASSERT_EQ(Save(folder / "set.txt", opened.Set, opened), "");
    EXPECT_EQ(ReadBytes(folder / "set.txt"), ReadBytes(kShippedText));
    EXPECT_EQ(ReadBytes(folder / "set.ko"), compiled);
    // The compiled file opens as the same set, but for the titles, which only the text holds.
    EXPECT_EQ(opened.Set.Titles.front(), "Power on");
    const OpenedLevelSet reopened = OpenLevelSetFile(folder / "set.ko");
    ASSERT_TRUE(reopened.Problems.empty());
    EXPECT_EQ(reopened.Set.Levels, opened.Set.Levels);
    EXPECT_EQ(reopened.Set.Titles, std::vector<std::string>(opened.Set.Levels.size()));
}

TEST(EditorFiles, AnEditedSetIsSavedAsTextThatCompilesToTheSavedLevelFile) {
    const OpenedLevelSet opened = OpenLevelSetFile(kShippedText);
    ASSERT_TRUE(opened.Problems.empty());
    LevelSet edited = opened.Set;
    PlaceBrick(edited.Levels[3], MakeBrick(0, 425, 12, 2, 1, 12));
    RemoveBricks(edited.Levels[0], {0});
    edited.Levels[5].push_back(MakeBrick(333, 17, 1, 4, 0, 0));  // off the grid
    MoveLevel(edited, 7, 1);
    DuplicateLevel(edited, 2);
    RemoveLevel(edited, 4);
    InsertLevel(edited, 0, {MakeBrick(0, 0, 1, 0, 0, 0)});  // untitled: written with its number
    edited.Titles[1] = "Přílivová vlna: \"#1\" \\ 100 % a#b {x}";  // Czech letters, quotes, '#'

    TempFolder folder;
    ASSERT_EQ(Save(folder / "mine.ko", edited, opened), "");  // a .ko name saves mine.txt too
    const CompiledLevels compiled = CompileLevelText(ReadText(folder / "mine.txt"));
    ASSERT_TRUE(compiled.Errors.empty());
    EXPECT_EQ(compiled.Bytes, ReadBytes(folder / "mine.ko"));
    EXPECT_EQ(compiled.Bytes, EncodeLevelSet(edited));
    const OpenedLevelSet reopened = OpenLevelSetFile(folder / "mine.txt");
    ASSERT_TRUE(reopened.Problems.empty());
    std::vector<std::string> titles = edited.Titles;
    titles[0] = "1";
    EXPECT_EQ(reopened.Set.Titles, titles);
    EXPECT_EQ(reopened.Set.Levels, edited.Levels);
}

TEST(EditorFiles, DamagedAndForeignFilesAreRefusedWithTheirReason) {
    TempFolder folder;
    using ZapModule::testing::Values16;
    WriteBytes(folder / "cut.ko", Values16({2, 1, 0, 0, 5, 0, 0, 0}));
    WriteBytes(folder / "picture.txt", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0});
    WriteText(folder / "typo.txt",
              "key a points=5 picture=0 type=0 bonus=0\nlevel\ngrid\nab\nend\n");
    WriteBytes(folder / "text.ko", std::vector<uint8_t>{'l', 'e', 'v', 'e', 'l', '\n'});
    const struct {
        std::string Name, Reason;
    } cases[] = {
        {"cut.ko", "levels.ko: počet úrovní je 2, soubor jich obsahuje jen 1"},
        {"picture.txt", "picture.txt:1: nelze přečíst"},
        {"typo.txt", "typo.txt:4: neznámý klíč 'b'"},
        {"text.ko", "levels.ko: "},
        {"missing.txt", "missing.txt: soubor chybí"},
    };
    for (const auto& c : cases) {
        const OpenedLevelSet opened = OpenLevelSetFile(folder / c.Name);
        ASSERT_FALSE(opened.Problems.empty()) << c.Name;
        EXPECT_EQ(opened.Problems[0].rfind(c.Reason, 0), 0u) << opened.Problems[0];
        EXPECT_TRUE(opened.Set.Levels.empty());
    }
}

TEST(EditorFiles, ASaveWhoseTextWouldNotGiveTheSetWritesNothing) {
    TempFolder folder;
    WriteText(folder / "set.txt", "old text\n");
    WriteText(folder / "set.ko", "old bytes");
    const LevelSet set = NewLevelSet();
    const std::string text = LevelSetText(set, {}, {});
    LevelSet other = set;
    other.Levels[0][0].Points = 11;
    EXPECT_NE(SaveLevelSet(SavePathsFor(folder / "set.txt"), text, EncodeLevelSet(other)), "");
    EXPECT_NE(SaveLevelSet(SavePathsFor(folder / "set.txt"), "level\n", EncodeLevelSet(set)), "");
    EXPECT_EQ(ReadText(folder / "set.txt"), "old text\n");
    EXPECT_EQ(ReadText(folder / "set.ko"), "old bytes");
    // A folder that cannot be written to is named in the reason.
    EXPECT_NE(SaveLevelSet(SavePathsFor(folder / "no/such/set.txt"), text, EncodeLevelSet(set)),
              "");
}

// A save of `set` over the files seen as `seen` by a program of its own (a killed save, or the
// second editor of a race), `fault` at each step: whether it said it saved; nothing when killed.
std::optional<bool> SavedInAChild(const SavePaths& paths, const LevelSet& set, FilesOnDisk seen,
                                  const ReplaceFault& fault = {}) {
    const pid_t child = ::fork();
    if (child == 0) {
        const std::string said =
            SaveLevelSet(paths, LevelSetText(set, {}, {}), EncodeLevelSet(set), &seen, fault);
        ::_exit(said.empty() ? 0 : 1);
    }
    int status = 0;
    EXPECT_EQ(::waitpid(child, &status, 0), child);
    if (!WIFEXITED(status)) return std::nullopt;
    return WEXITSTATUS(status) == 0;
}

// A save killed or failing at each step it takes (creating, writing, flushing and renaming each
// file and the record that decides the save), or with a second editor saving the same set at
// that step, leaves both files old, or both new once the set is opened again, from its folder
// renamed meanwhile too; of two editors that saw the same files at most one says it saved, and
// its set is what is on disk; no temporary file stays once those are stale.
TEST(EditorFiles, ASaveKilledFailingOrRacedAtAnyStepLeavesBothFilesOldOrBothNew) {
    const LevelSet oldSet = NewLevelSet();
    LevelSet newSet = oldSet, otherSet = oldSet;
    InsertLevel(newSet, 1, {MakeBrick(40, 50, 7, 1, 0, 0)}, "nová");
    InsertLevel(otherSet, 0, {MakeBrick(60, 75, 3, 0, 0, 0)}, "druhého editoru");
    const std::string newText = LevelSetText(newSet, {}, {});
    enum class Way { Kill, Fail, Race };
    for (const Way way : {Way::Kill, Way::Fail, Way::Race}) {
        bool finished = false;
        for (int failing = 1; !finished; ++failing) {
            SCOPED_TRACE(::testing::Message() << static_cast<int>(way) << " at " << failing);
            TempFolder root;
            std::filesystem::create_directory(root / "sada");
            SavePaths paths = SavePathsFor(root / "sada/set.txt");
            ASSERT_EQ(SaveLevelSet(paths, LevelSetText(oldSet, {}, {}), EncodeLevelSet(oldSet)),
                      "");
            const std::vector<uint8_t> oldText = ReadBytes(paths.Text);
            FilesOnDisk seen = LookAtFiles(paths);
            bool secondSaved = false;
            int step = 0;
            const ReplaceFault fault = [&](ReplaceStep) {
                if (++step != failing) return false;
                if (way == Way::Kill) ::raise(SIGKILL);
                if (way == Way::Race) secondSaved = SavedInAChild(paths, otherSet, seen) == true;
                return way == Way::Fail;
            };
            std::string said;
            if (way == Way::Kill) {
                const std::optional<bool> saved = SavedInAChild(paths, newSet, seen, fault);
                finished = saved.has_value();
                said = saved.value_or(false) ? "" : "killed";
            } else {
                said = SaveLevelSet(paths, newText, EncodeLevelSet(newSet), &seen, fault);
                finished = step < failing;
            }
            std::filesystem::rename(root / "sada", root / "přesunutá");
            paths = SavePathsFor(root / "přesunutá/set.txt");
            // Whatever the reopening finds is one set, its text and levels.ko agreeing.
            const OpenedLevelSet reopened = OpenLevelSetFile(paths.Text);
            ASSERT_TRUE(reopened.Problems.empty()) << reopened.Problems[0];
            const LevelSet& found = reopened.Set.Levels == newSet.Levels     ? newSet
                                    : reopened.Set.Levels == otherSet.Levels ? otherSet
                                                                             : oldSet;
            EXPECT_TRUE(&found != &oldSet || ReadBytes(paths.Text) == oldText);
            EXPECT_EQ(ReadBytes(paths.Compiled), EncodeLevelSet(found));
            EXPECT_TRUE(!said.empty() || &found == &newSet) << said;
            EXPECT_TRUE(!secondSaved || &found == &otherSet);
            if (way == Way::Fail && !finished) {
                EXPECT_NE(said.find(&found == &newSet ? "dokončí" : "zůstaly, jak byly"),
                          std::string::npos)
                    << said;
            }
            for (const auto& entry : std::filesystem::directory_iterator(root / "přesunutá")) {
                const timeval longAgo[2] = {{1, 0}, {1, 0}};
                ::utimes(entry.path().c_str(), longAgo);
            }
            OpenLevelSetFile(paths.Text);
            EXPECT_EQ(FilesIn(root / "přesunutá"), (std::vector<std::string>{"set.ko", "set.txt"}));
        }
    }
}

}  // namespace
