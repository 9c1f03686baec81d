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

#include "editor/level_set_files.h"
#include "storage/level_file.h"
#include "storage/level_text.h"
#include "tests/storage/storage_test_support.h"

using namespace ZapModule;
using ZapModule::testing::FilesIn;
using ZapModule::testing::ReadBytes;
using ZapModule::testing::TempFolder;
using ZapModule::testing::WriteBytes;
using ZapModule::testing::WriteText;

namespace {

const std::string kShippedText = std::string(ZAPWALL_SOURCE_DIR) + "/assets/levels.txt";

std::string TextOf(const std::vector<uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

std::string Save(const std::string& path, const LevelSet& set, const OpenedLevelSet& opened) {
    return SaveLevelSet(SavePathsFor(path), LevelSetText(set, opened.Set, opened.Text),
                        EncodeLevelSet(set));
}

TEST(EditorFiles, TheShippedSetGoesThroughTheEditorChangingNoByte) {
    const OpenedLevelSet opened = OpenLevelSetFile(kShippedText);
    ASSERT_TRUE(opened.Problems.empty()) << opened.Problems[0];
    const std::vector<uint8_t> compiled = CompileLevelText(TextOf(ReadBytes(kShippedText))).Bytes;
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
    const std::vector<uint8_t> text = ReadBytes(folder / "mine.txt");
    const CompiledLevels compiled = CompileLevelText(TextOf(text));
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
    EXPECT_EQ(TextOf(ReadBytes(folder / "set.txt")), "old text\n");
    EXPECT_EQ(TextOf(ReadBytes(folder / "set.ko")), "old bytes");
    // A folder that cannot be written to is named in the reason.
    EXPECT_NE(SaveLevelSet(SavePathsFor(folder / "no/such/set.txt"), text, EncodeLevelSet(set)),
              "");
}

// A save killed or failing at each step it takes (creating, writing, flushing and renaming each
// file and the record that decides the save) leaves both files old, or both new once the set is
// opened again, and no temporary file once those are stale.
TEST(EditorFiles, ASaveKilledOrFailingAtAnyStepLeavesBothFilesOldOrBothNew) {
    const LevelSet oldSet = NewLevelSet();
    LevelSet newSet = oldSet;
    InsertLevel(newSet, 1, {MakeBrick(40, 50, 7, 1, 0, 0)}, "nová");
    const std::string newText = LevelSetText(newSet, {}, {});
    for (const bool kill : {true, false}) {
        bool finished = false;
        for (int failing = 1; !finished; ++failing) {
            SCOPED_TRACE(::testing::Message() << (kill ? "kill" : "fail") << " at " << failing);
            TempFolder folder;
            const SavePaths paths = SavePathsFor(folder / "set.txt");
            ASSERT_EQ(SaveLevelSet(paths, LevelSetText(oldSet, {}, {}), EncodeLevelSet(oldSet)),
                      "");
            const std::vector<uint8_t> oldText = ReadBytes(paths.Text);
            int step = 0;
            const ReplaceFault fault = [&](ReplaceStep) {
                if (++step != failing) return false;
                if (kill) ::raise(SIGKILL);
                return true;
            };
            std::string said;
            if (kill) {
                const pid_t child = ::fork();
                if (child == 0)
                    ::_exit(SaveLevelSet(paths, newText, EncodeLevelSet(newSet), fault).empty()
                                ? 0
                                : 1);
                int status = 0;
                ASSERT_EQ(::waitpid(child, &status, 0), child);
                finished = WIFEXITED(status);
            } else {
                said = SaveLevelSet(paths, newText, EncodeLevelSet(newSet), fault);
                finished = said.empty();
            }
            // Whatever the reopening finds is one set, its text and levels.ko agreeing.
            const OpenedLevelSet reopened = OpenLevelSetFile(paths.Text);
            ASSERT_TRUE(reopened.Problems.empty()) << reopened.Problems[0];
            const bool isNew = reopened.Set.Levels == newSet.Levels;
            EXPECT_TRUE(isNew || ReadBytes(paths.Text) == oldText);
            EXPECT_EQ(ReadBytes(paths.Compiled), EncodeLevelSet(isNew ? newSet : oldSet));
            if (!kill && !finished) {
                EXPECT_NE(said.find(isNew ? "dokončí" : "zůstaly, jak byly"), std::string::npos)
                    << said;
            }
            for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
                const timeval longAgo[2] = {{1, 0}, {1, 0}};
                ::utimes(entry.path().c_str(), longAgo);
            }
            OpenLevelSetFile(paths.Text);
            EXPECT_EQ(FilesIn(folder.Path()), (std::vector<std::string>{"set.ko", "set.txt"}));
        }
    }
}

}  // namespace
