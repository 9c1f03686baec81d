#include "editor/level_set_files.h"

#include <filesystem>

#include "game/contract/data_limits.h"
#include "game/contract/file_reading.h"
#include "storage/disk_data_files.h"
#include "storage/level_file.h"
#include "tools/zapwall_data_level_text.h"

namespace ZapModule {

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string FileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

}  // namespace

OpenedLevelSet OpenLevelSetFile(const std::string& path) {
    OpenedLevelSet opened;
    const FileRead read = ReadRegularFile(path, kMaxLevelFileBytes);
    if (!read.Ok()) {
        opened.Problems.push_back(FileName(path) + ": " + DescribeReadFailure(read));
        return opened;
    }
    std::vector<uint8_t> bytes;
    std::vector<std::string> titles;  // a levels.ko has none
    if (EndsWith(path, ".ko")) {
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
                         const std::vector<uint8_t>& expected) {
    const CompiledLevels compiled = CompileLevelText(text);
    if (!compiled.Errors.empty() || compiled.Bytes != expected)
        return "text sady se nepřeložil na tytéž úrovně, nic se neuložilo";
    int error = 0;
    if (!ReplaceFile(paths.Compiled, compiled.Bytes, {}, &error))
        return FileName(paths.Compiled) + ": " + WriteErrorText(error);
    const std::vector<uint8_t> textBytes(text.begin(), text.end());
    if (!ReplaceFile(paths.Text, textBytes, {}, &error))
        return FileName(paths.Text) + ": " + WriteErrorText(error);
    return {};
}

}  // namespace ZapModule
