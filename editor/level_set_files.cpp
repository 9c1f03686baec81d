// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/level_set_files.h"

#include <sys/stat.h>

#include <filesystem>

#include "editor/file_pair.h"
#include "platform/file_reading.h"
#include "storage/disk_data_files.h"
#include "storage/file_problems.h"
#include "storage/level_file.h"
#include "storage/level_text.h"
#include "values/data_limits.h"

namespace ZapModule {

namespace {

std::string FileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

}  // namespace

OpenedLevelSet OpenLevelSetFile(const std::string& path) {
    OpenedLevelSet opened;
    const SavePaths paths = SavePathsFor(path);
    // A save under way elsewhere holds the lock and finishes its own work; the text it renames
    // into place is read whole, old or new.
    const FilePairLock lock({paths.Text, paths.Compiled});
    if (!lock.Busy()) {
        if (std::string unfinished = FinishInterruptedReplacement({paths.Text, paths.Compiled});
            !unfinished.empty()) {
            opened.Problems.push_back(std::move(unfinished));
            return opened;
        }
    }
    opened.OnDisk = LookAtFiles(paths);
    const bool text = IsLevelText(path);
    const FileRead read = ReadRegularFile(path, text ? kMaxLevelTextBytes : kMaxLevelFileBytes);
    if (!read.Ok()) {
        opened.Problems.push_back(FileName(path) + ": " + DescribeReadFailure(read));
        return opened;
    }
    std::vector<uint8_t> bytes;
    std::vector<std::string> titles;  // a levels.ko has none
    if (!text) {
        opened.Problems = CheckLevelFile(read.Bytes);
        if (!opened.Problems.empty()) return opened;
        bytes = read.Bytes;
        opened.Text = DecompileLevels(bytes);
    } else {
        opened.Text.assign(read.Bytes.begin(), read.Bytes.end());
        CompiledLevels compiled = CompileLevelText(opened.Text);
        for (const LevelTextError& error : compiled.Errors)
            opened.Problems.push_back(FormatLevelTextError(FileName(path), error));
        if (!opened.Problems.empty()) return opened;
        bytes = std::move(compiled.Bytes);
        titles = std::move(compiled.Titles);
    }
    opened.Set = DecodeLevelSet(bytes);
    if (!titles.empty()) opened.Set.Titles = std::move(titles);
    return opened;
}

std::string LevelSetText(const LevelSet& set, const LevelSet& openedSet,
                         const std::string& openedText) {
    if (set == openedSet && !openedText.empty()) return openedText;
    return DecompileLevels(EncodeLevelSet(set), set.Titles);
}

SavePaths SavePathsFor(const std::string& path) {
    std::filesystem::path text(path);
    if (text.extension() == ".ko") text.replace_extension(".txt");
    std::filesystem::path compiled = text;
    compiled.replace_extension(".ko");
    return {text.string(), compiled.string()};
}

std::string SaveLevelSet(const SavePaths& paths, const std::string& text,
                         const std::vector<uint8_t>& expected, FilesOnDisk* onDisk,
                         const ReplaceFault& fault) {
    const CompiledLevels compiled = CompileLevelText(text);
    if (!compiled.Errors.empty())
        return FormatLevelTextError(FileName(paths.Text), compiled.Errors[0]) +
               "; nic se neuložilo";
    if (compiled.Bytes != expected)
        return "text sady se nepřeložil na tytéž úrovně, nic se neuložilo";
    // What could not be opened again is not saved.
    if (text.size() > kMaxLevelTextBytes)
        return FileName(paths.Text) + ": text by byl větší než " + SizeText(kMaxLevelTextBytes) +
               ", nic se neuložilo";
    const FilePairLock lock({paths.Text, paths.Compiled});
    if (lock.Busy()) return "sadu právě ukládá jiný program, nic se neuložilo";
    if (onDisk != nullptr && LookAtFiles(paths) != *onDisk)
        return "sadu mezitím uložil jiný program, nic se neuložilo";
    if (std::string unfinished = FinishInterruptedReplacement({paths.Text, paths.Compiled});
        !unfinished.empty())
        return unfinished;
    const FilePairReplacement saved =
        ReplaceFilePair({paths.Text, paths.Compiled},
                        {std::vector<uint8_t>(text.begin(), text.end()), compiled.Bytes}, fault);
    // What a decided save left is its own, not another program's, when the next save looks.
    if (onDisk != nullptr && (saved.Error == 0 || saved.Decided)) *onDisk = LookAtFiles(paths);
    if (saved.Error == 0) return {};
    return FileName(saved.FailedPath) + ": " + WriteErrorText(saved.Error) +
           (saved.Decided ? "; uložení se dokončí při příštím otevření sady"
                          : "; oba soubory sady zůstaly, jak byly");
}

FilesOnDisk LookAtFiles(const SavePaths& paths) {
    FilesOnDisk seen;
    for (const std::string& path : {paths.Text, paths.Compiled}) {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) {
            seen.push_back(-1);
            continue;
        }
        for (const auto value :
             {static_cast<int64_t>(info.st_dev), static_cast<int64_t>(info.st_ino),
              static_cast<int64_t>(info.st_size), static_cast<int64_t>(info.st_mtim.tv_sec),
              static_cast<int64_t>(info.st_mtim.tv_nsec)})
            seen.push_back(value);
    }
    return seen;
}

}  // namespace ZapModule
