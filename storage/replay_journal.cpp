// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/replay_journal.h"

#include <charconv>
#include <cstdio>

#include "platform/disk_files.h"
#include "platform/file_reading.h"
#include "storage/file_problems.h"
#include "storage/replay_folder.h"

namespace ZapModule {

namespace {

// The room the end and checksum lines need after the inputs.
constexpr size_t kEndRoom = 256;

// The last line of a text of whole lines, without its line end.
std::string_view LastLine(std::string_view text) {
    if (text.empty()) return {};
    text.remove_suffix(1);
    const size_t start = text.rfind('\n');
    return text.substr(start == std::string_view::npos ? 0 : start + 1);
}

// The step and milliseconds the input line `line` names; zeros for a header line.
std::pair<int64_t, int64_t> StepAndMillisOf(std::string_view line) {
    int64_t step = 0;
    int64_t millis = 0;
    const char* end = line.data() + line.size();
    auto [afterStep, stepError] = std::from_chars(line.data(), end, step);
    if (stepError != std::errc() || afterStep == end || *afterStep != ' ') return {0, 0};
    if (std::from_chars(afterStep + 1, end, millis).ec != std::errc()) return {0, 0};
    return {step, millis};
}

}  // namespace

bool ReplayJournal::Begin(const std::string& folder, const Replay& head) {
    Drop();
    if (!MakeFolders(folder)) return false;
    const std::string path = folder + "/" + std::string(kJournalName);
    file_.reset(std::fopen(path.c_str(), "wb"));
    if (!file_) return false;
    path_ = path;
    const std::string text = ReplayHeadText(head);
    bytes_ = text.size();
    inputs_ = 0;
    if (std::fwrite(text.data(), 1, text.size(), file_.get()) != text.size() ||
        std::fflush(file_.get()) != 0) {
        Drop();
        return false;
    }
    return true;
}

void ReplayJournal::Append(const ReplayEvent& e) {
    if (!file_) return;
    const std::string line = ReplayInputLine(e);
    // Beyond a replay's limits the file stops growing: what it holds stays a readable game.
    if (inputs_ == kMaxReplayInputs || bytes_ + line.size() + kEndRoom > kMaxReplayFileSize) return;
    // Written through at once: a killed program loses no input the rules got.
    if (std::fwrite(line.data(), 1, line.size(), file_.get()) != line.size() ||
        std::fflush(file_.get()) != 0) {
        file_.reset();  // a torn line at the end is dropped when the file is read
        return;
    }
    bytes_ += line.size();
    ++inputs_;
}

void ReplayJournal::Drop() {
    file_.reset();
    if (!path_.empty()) std::remove(path_.c_str());
    path_.clear();
}

CutReplay SaveCutReplay(const std::string& folder) {
    const std::string path = folder + "/" + std::string(kJournalName);
    if (!EntryExists(path)) return {};
    CutReplay result;
    const FileRead read = ReadRegularFile(path, kMaxReplayFileSize);
    std::string text(read.Bytes.begin(), read.Bytes.end());
    // A line the killed program had not finished writing is left out.
    const size_t lineEnd = text.rfind('\n');
    text.resize(lineEnd == std::string::npos ? 0 : lineEnd + 1);
    const auto [step, millis] = StepAndMillisOf(LastLine(text));
    EndReplayText(text, step, millis, ReplayEnd::Cut);
    const ReplayParse parse = read.Ok() ? ParseReplay(text) : ReplayParse{};
    if (!parse.Read) {
        result.Problem = read.Ok() ? parse.Problem : DescribeReadFailure(read);
        // An earlier one set aside stays: the first free name of NAME.damaged, NAME.damaged.1, …
        SetAsideAsDamaged(path);
        return result;
    }
    // A program killed after saving the game, whole at its end or cut short at a start, and
    // before removing the journal has saved it already: a kept replay begins with its inputs.
    std::string played = ReplayHeadText(*parse.Read);
    for (const ReplayEvent& e : parse.Read->Events) played += ReplayInputLine(e);
    result.Saved = KeptReplayBeginningWith(folder, *parse.Read, played);
    if (!result.Saved)
        result.Saved = SaveReplay(folder, *parse.Read, kKeptReplays, &result.Problem);
    if (result.Saved) std::remove(path.c_str());
    return result;
}

}  // namespace ZapModule
