// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The level set as text, for people: keys name the kinds of brick, grids draw the 25 x 19 cells
// of the field and `brick` lines place bricks anywhere. Compiling gives levels.ko; decompiling a
// level file gives text that compiles back to exactly the same bytes.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ZapModule {

struct LevelTextError {
    int Line = 0;  // 1-based; 0 for the text as a whole
    std::string Text;
};

struct CompiledLevels {
    std::vector<uint8_t> Bytes;  // the level file, when there are no errors
    // Each level's title: the rest of its `level` line up to a comment, without the blanks at
    // either end; empty when the line has none. One per level, when there are no errors.
    std::vector<std::string> Titles;
    std::vector<LevelTextError> Errors;
};

CompiledLevels CompileLevelText(std::string_view text);

// Formats an error as "NAME:LINE: TEXT" (or "NAME: TEXT" for the text as a whole).
std::string FormatLevelTextError(const std::string& name, const LevelTextError& error);

// Whether a set file is level text, which the game compiles, rather than a compiled level file:
// any name but one ending in ".ko".
bool IsLevelText(const std::string& path);

// The levels a set file gives the game: a compiled file as it is, level text compiled. Nothing,
// with the reason (naming the file) in *problem, when the file cannot be read or the text does not
// compile.
std::optional<std::vector<uint8_t>> ReadLevelSetFile(const std::string& path, std::string* problem);

// The text of a level file that CheckLevelFile accepts. Level l is written with titles[l] when it
// is there and not empty, else with its number; titles are as CompileLevelText gives them.
std::string DecompileLevels(const std::vector<uint8_t>& bytes,
                            const std::vector<std::string>& titles = {});

}  // namespace ZapModule
