// SPDX-License-Identifier: GPL-3.0-or-later
// The replay readers of zapwall-data and zapwall-sim against hostile recordings: a file of the
// largest size the readers take, built to cost the most, is refused within seconds of CPU and a
// bounded amount of memory (an end that no game can reach is the reader's own test); show
// escapes a replay's names; and a long run keeps nothing per step.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "storage/replay_file.h"
#include "tests/lib/program_run.h"
#include "tests/storage/storage_test_support.h"

// Under AddressSanitizer the programs' memory and time are its own, not theirs.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMeasured = false;
#else
constexpr bool kMeasured = true;
#endif

namespace ZapModule {
namespace {

using testing::ProgramRun;
using testing::RunProgram;
using testing::TempFolder;

// A recording of an empty game on the build's data folder, as text without its end and checksum.
std::string Beginning(const std::string& player) {
    Replay r;
    r.Recorded = "2026-12-08 10:00:00";
    r.Player = {player, 0, 0, 3};
    std::string text = ReplayText(r);
    return text.substr(0, text.find("end "));
}

// The text signed with its checksum, as a file.
std::string Signed(const TempFolder& folder, const std::string& name, const std::string& body) {
    testing::WriteText(folder / name, testing::WithChecksum(body));
    return folder / name;
}

class HostileReplays : public ::testing::Test {
  protected:
    ProgramRun Show(const std::string& replay) {
        return RunProgram(ZAPWALL_DATA_TOOL, {"show", replay}, folder_);
    }
    // zapwall-sim on the build's data folder, with a folder of the test's own for the player's.
    ProgramRun Sim(std::vector<std::string> args) {
        args.insert(args.end(), {"--data", ZAPWALL_DATA_DIR, "--user-data", folder_ / "user"});
        return RunProgram(ZAPWALL_SIM_TOOL, args, folder_);
    }

    TempFolder folder_;
};

TEST_F(HostileReplays, TheLargestCostliestFilesAreRefusedInSecondsAndBoundedMemory) {
    const size_t size = kMaxReplayFileSize - 64;
    const std::string beginning = Beginning("Ada");
    // Blank lines; one line of blanks; the most inputs the size holds for a game of no length.
    std::string inputs = beginning;
    while (inputs.size() < size) inputs += "0 0 keyup 32\n";
    const std::vector<std::string> files = {
        Signed(folder_, "blank.zapwall-replay", "ZAPWALL-REPLAY 1\n" + std::string(size, '\n')),
        Signed(folder_, "wide.zapwall-replay",
               "ZAPWALL-REPLAY 1\nrecorded " + std::string(size, ' ') + "\n"),
        Signed(folder_, "inputs.zapwall-replay", inputs + "end 0 0 closed\n"),
    };
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        for (const ProgramRun& run : {Show(file), Sim({"--replay", file})}) {
            EXPECT_NE(run.Status, 0);
            EXPECT_LT(run.Status, 128) << run.Err;
            EXPECT_NE(run.Err.find("řádek"), std::string::npos) << run.Err;
            if (!kMeasured) continue;
            EXPECT_LT(run.CpuSeconds, 5.0);
            EXPECT_LT(run.PeakKiB, 200 * 1024);
        }
    }
}

TEST_F(HostileReplays, ShowEscapesTheNamesOfAReplay) {
    std::string text = Beginning("Ada\x1B[2J\n");
    text.replace(text.find(":00\n"), 3, ":00\xE2\x80\xAE");  // a right-to-left override
    text.replace(text.find("hall 1000"), 0, "hall 7 Eve%1B]0;x%07\n");
    text.erase(text.rfind("hall "));
    const std::string file = Signed(folder_, "names.zapwall-replay", text + "end 0 0 closed\n");
    const ProgramRun run = Show(file);
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out.find('\x1b'), std::string::npos);
    EXPECT_NE(run.Out.find("\"Ada\\x1B[2J\\x0A\""), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("10:00:00\\u202E"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("\"Eve\\x1B]0;x\\x07\""), std::string::npos) << run.Out;
}

TEST_F(HostileReplays, ALongRunKeepsNothingPerStep) {
    testing::WriteText(folder_ / "input.txt", "0 keydown 32\n");
    const ProgramRun run = Sim(
        {"--input", folder_ / "input.txt", "--steps", "3000000", "--out", folder_ / "report.json"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    if (kMeasured) {
        EXPECT_LT(run.PeakKiB, 64 * 1024);
    }
}

}  // namespace
}  // namespace ZapModule
