// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the built zapwall-data on temporary data folders, good and damaged, and checks what it
// prints and how it exits.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

#include "game/startup.h"
#include "pictures/picture_loader.h"
#include "sound/sound.h"
#include "storage/hall.h"
#include "storage/level_text.h"
#include "storage/roster.h"
#include "tests/lib/program_run.h"
#include "tests/sound/wav_writer.h"
#include "tests/storage/storage_test_support.h"
#include "values/data_limits.h"

namespace ZapModule {
namespace {

using testing::ProgramRun;
using testing::ReadBytes;
using testing::RunProgram;
using testing::TempFolder;
using testing::Values16;
using testing::WriteBytes;
using testing::WriteText;

class ZapwallData : public ::testing::Test {
  protected:
    ProgramRun Tool(const std::vector<std::string>& args) {
        return RunProgram(ZAPWALL_DATA_TOOL, args, output_);
    }

    // A data folder the game can use: two levels, two animations, fourteen pictures.
    std::string GoodFolder() {
        std::string data = folder_ / "data";
        WriteBytes(data + "/levels.ko",
                   Values16({2, 1, 0, 0, 10, 0, 0, 0, 2, 20, 0, 10, 0, 0, 0, 40, 0, 10, 0, 0, 0}));
        WriteText(data + "/animations.ko", "4,4,30,30,3\r\n5,8,40,40,2\r\n");
        std::filesystem::create_directories(data + "/pictures");
        const Surface picture(4, 3);
        EXPECT_TRUE(SavePicturePng(picture, data + "/pictures/gui"));
        for (int sheet = 1; sheet <= 13; ++sheet) {
            EXPECT_TRUE(SavePicturePng(picture, data + "/pictures/ko" + std::to_string(sheet)));
        }
        std::filesystem::create_directories(data + "/sounds");
        for (const std::string_view sound : kEffectFiles)
            ZapTest::WriteToneWav(data + "/sounds/" + std::string(sound), {.Seconds = 0.05});
        return data;
    }

    TempFolder folder_;
    TempFolder output_;
};

TEST_F(ZapwallData, CheckPassesAGoodFolderWithItsSavedFiles) {
    const std::string data = GoodFolder();
    WriteBytes(data + "/players.ko", SerializeRoster({PlayerRecord{"Ann", 1, 2, 3}}));
    WriteBytes(data + "/hall.ko", SerializeHall(DefaultHallTable(), {}));
    WriteText(data + "/tick.ko", " 8000 \r\n");
    const ProgramRun run = Tool({"check", data});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(run.Err, "");
}

TEST_F(ZapwallData, CheckListsEveryProblemOneLineEach) {
    const std::string data = GoodFolder();
    WriteBytes(data + "/levels.ko", Values16({2, 1, 0, 0, 10, 0, 0, 0, 3, 20, 0, 10}));
    WriteText(data + "/animations.ko", "4,4,30,30,3\r\n");
    WriteText(data + "/pictures/ko7", "not a picture");
    std::filesystem::remove(data + "/pictures/gui");
    WriteBytes(data + "/players.ko", Values16({1, 1, 67, 3, 0, 0, -2}));
    WriteBytes(data + "/hall.ko", Values16({1, 67}));
    WriteText(data + "/tick.ko", "fast\r\n");
    const ProgramRun run = Tool({"check", data});
    EXPECT_EQ(run.Status, 1);
    std::vector<std::string> lines;
    std::istringstream out(run.Out);
    for (std::string line; std::getline(out, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 7u) << run.Out;
    EXPECT_EQ(lines[0], "levels.ko: úroveň 2 má mít 3 cihel, v souboru je jich jen 0");
    EXPECT_EQ(lines[1].rfind("animations.ko: ", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2], "pictures/gui: soubor chybí");
    EXPECT_EQ(lines[3], "pictures/ko7: není to obrázek, který lze načíst");
    EXPECT_EQ(lines[4], "players.ko: hráč 2/2: záporná délka jména -2");
    EXPECT_EQ(lines[5], "hall.ko: položka 1: soubor končí uprostřed záznamu");
    EXPECT_EQ(lines[6], "tick.ko: první řádek nezačíná číslem, hra použije 8000");
}

TEST_F(ZapwallData, CheckNamesMissingAndUnusableFiles) {
    const std::string data = GoodFolder();
    std::filesystem::remove(data + "/levels.ko");
    std::filesystem::create_directory(data + "/hall.ko");
    const ProgramRun run = Tool({"check", data});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out,
              "levels.ko: soubor chybí\n"
              "hall.ko: není to obyčejný soubor\n");
}

// The game's refusal of a folder: what the start-up loader says, as the game shows it.
std::string StartRefusal(const std::string& data) {
    testing::StorageFixture game;
    game.s.DataFolder = data;
    return LoadGameData(game.s, LoadPicture).Refusal;
}

TEST_F(ZapwallData, CheckAndStartRefuseTheSameFilesForTheSameReason) {
    // A valid level set beyond the reading limit: 45 levels of 32767 bricks, 17.7 MB.
    std::vector<uint8_t> levels = Values16({45});
    for (int level = 0; level < 45; ++level) {
        const std::vector<uint8_t> block = Values16({32767});
        levels.insert(levels.end(), block.begin(), block.end());
        levels.resize(levels.size() + 32767 * 12, 0);
    }
    const struct {
        std::string file;
        std::function<void(const std::string& path)> damage;
        std::string refusal;
    } cases[] = {
        {"levels.ko", [&](const std::string& p) { WriteBytes(p, levels); },
         "levels.ko: soubor je příliš velký: 17694272 bajtů, nejvýše 16 MiB"},
        {"levels.ko", [](const std::string& p) { WriteBytes(p, Values16({0})); },
         "levels.ko: počet úrovní je 0, musí být aspoň 1"},
        {"animations.ko", [](const std::string& p) { ::mkfifo(p.c_str(), 0644); },
         "animations.ko: není to obyčejný soubor"},
        {"pictures/gui", [](const std::string& p) { ::mkfifo(p.c_str(), 0644); },
         "pictures/gui: není to obyčejný soubor"},
        {"pictures/ko3",
         [](const std::string& p) { ASSERT_TRUE(SavePicturePng(Surface(40000, 1), p)); },
         "pictures/ko3: obrázek je příliš velký: 40000 × 1 bodů, nejvýše 32767 bodů na stranu "
         "a 16777216 bodů celkem"},
        {"pictures/ko13", [](const std::string& p) { std::filesystem::create_directory(p); },
         "pictures/ko13: není to obyčejný soubor"},
    };
    for (const auto& c : cases) {
        const std::string data = GoodFolder();
        std::filesystem::remove(data + "/" + c.file);
        c.damage(data + "/" + c.file);
        const ProgramRun run = Tool({"check", data});
        EXPECT_EQ(run.Status, 1);
        EXPECT_EQ(run.Out, c.refusal + "\n");
        EXPECT_EQ(StartRefusal(data), c.refusal);
        std::filesystem::remove_all(data);
    }
}

TEST_F(ZapwallData, CheckNamesTheSoundFilesTheGameWouldLeaveSilent) {
    const std::string data = GoodFolder();
    ZapTest::WriteToneWav(data + "/sounds/bum.wav", {.Seconds = 100, .Rate = 1});
    ::unlink((data + "/sounds/die.wav").c_str());
    ::mkfifo((data + "/sounds/die.wav").c_str(), 0644);
    ZapTest::WriteToneWav(data + "/sounds/dot.wav", {.Seconds = 11});
    WriteBytes(data + "/sounds/gong.wav", std::vector<uint8_t>(kMaxSoundFileBytes + 1, 0));
    WriteText(data + "/sounds/palka.wav", "not a sound");
    std::vector<uint8_t> steel = ReadBytes(data + "/sounds/steel.wav");
    steel[20] = 0x55;  // the format tag of MPEG Layer 3 instead of PCM's
    WriteBytes(data + "/sounds/steel.wav", steel);
    std::filesystem::remove(data + "/sounds/wall.wav");
    const ProgramRun run = Tool({"check", data});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out,
              "sounds/bum.wav: vzorkovací frekvence 1 Hz je mimo 4000 až 192000 Hz\n"
              "sounds/die.wav: není to obyčejný soubor\n"
              "sounds/dot.wav: zvuk je příliš dlouhý: 11.0 s, nejvýše 10 s\n"
              "sounds/gong.wav: soubor je příliš velký: 8388609 bajtů, nejvýše 8 MiB\n"
              "sounds/palka.wav: není to zvuk WAV\n"
              "sounds/steel.wav: nepodporovaný formát zvuku (85, 16 bitů)\n"
              "sounds/wall.wav: soubor chybí\n");
    // The game plays without them: only those effects are silent.
    EXPECT_EQ(StartRefusal(data), "");
}

TEST_F(ZapwallData, ShowPrintsEachFileAsTextWithControlCharactersEscaped) {
    const std::string data = GoodFolder();
    // Tab, escape, DEL, the C1 control U+0081 (0x81 in Windows-1250), a quote and a backslash.
    WriteBytes(data + "/players.ko",
               SerializeRoster({PlayerRecord{"Čenda", 120, 2, 3},
                                PlayerRecord{"A\t\x1B\x7F\u0081\"\\č", -1, 0, 0}}));
    ProgramRun run = Tool({"show", data + "/players.ko"});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out,
              "players.ko: 2 players\n"
              "1. \"Čenda\"  IQ 120  level 2 (shown as 3)  balls 3\n"
              "2. \"A\\x09\\x1B\\x7F\\u0081\\\"\\\\č\"  IQ -1  level 0 (shown as 1)  balls 0\n");

    // A kept damaged copy is shown by its kind, with what is wrong.
    WriteBytes(data + "/players.ko.damaged", Values16({0, 5, 67}));
    run = Tool({"show", data + "/players.ko.damaged"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out,
              "players.ko: 0 players\nplayers.ko: hráč 1/1: soubor končí uprostřed záznamu\n");

    HallTable table = DefaultHallTable();
    table[0] = {"Eva", 1200};
    WriteBytes(data + "/hall.ko", testing::Concat(SerializeHall(table, {}), {1, 2}));
    run = Tool({"show", data + "/hall.ko"});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out.substr(0, 28), "1. \"Eva\"  1200\n2. \"\"  900\n3.");
    EXPECT_NE(run.Out.find("hall.ko: 2 bytes after the ten entries"), std::string::npos);

    WriteText(data + "/tick.ko", " 250 \r\n");
    EXPECT_EQ(Tool({"show", data + "/tick.ko"}).Out, "tick.ko: 250\n");
}

TEST_F(ZapwallData, LevelsRefusesDamagedInputAndNamesTheLine) {
    const std::string data = GoodFolder();
    WriteBytes(data + "/levels.ko", Values16({0}));
    ProgramRun run = Tool({"levels", "decompile", data + "/levels.ko"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, "levels.ko: počet úrovní je 0, musí být aspoň 1\n");
    EXPECT_EQ(run.Out, "");

    const std::string text = folder_ / "bad.txt";
    WriteText(text, "level\ngrid\nz\nend\n");
    run = Tool({"levels", "compile", text, folder_ / "out.ko"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, text + ":3: neznámý klíč 'z'\n");
    EXPECT_FALSE(std::filesystem::exists(folder_ / "out.ko"));
}

TEST_F(ZapwallData, UsageErrorsExitWithTwo) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{},
                                               {"frobnicate"},
                                               {"check", "one", "two"},
                                               {"check", "--data"},
                                               {"check", "one", "--user-data", "two"},
                                               {"check", "--fast"},
                                               {"show", folder_ / "notes.txt"},
                                               {"levels", "compile", "only-one"},
                                               {"levels", "explode", "x"}}) {
        const ProgramRun run = Tool(args);
        EXPECT_EQ(run.Status, 2) << (args.empty() ? "" : args[0]);
        EXPECT_NE(run.Err.find("usage: zapwall-data"), std::string::npos);
        EXPECT_EQ(run.Out, "");
    }
}

}  // namespace
}  // namespace ZapModule
