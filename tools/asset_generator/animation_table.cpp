// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/asset_generator/animation_table.h"

#include <charconv>
#include <set>
#include <sstream>

namespace ZapAssets {
namespace {

constexpr int kRecordCount = 6;
const std::set<int> kAnimationSheets = {4, 5, 8, 9, 10, 11};

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

bool ParseRecord(const std::string& line, AnimationSpec* spec) {
    int values[5];
    std::istringstream fields(line);
    std::string field;
    int count = 0;
    while (std::getline(fields, field, ',')) {
        const std::string t = Trim(field);
        if (count == 5 || t.empty()) return false;
        const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), values[count]);
        if (ec != std::errc() || end != t.data() + t.size()) return false;
        ++count;
    }
    if (count != 5) return false;
    *spec = {values[0], values[1], values[2], values[3], values[4]};
    return true;
}

std::string CheckRecord(const AnimationSpec& a, const std::set<int>& usedSheets) {
    if (!kAnimationSheets.count(a.sheet)) return "sheet must be one of 4, 5, 8, 9, 10, 11";
    if (usedSheets.count(a.sheet)) return "sheet already used by another record";
    if (a.frames < 1 || a.frames > 32) return "frames must be 1 to 32";
    if (a.width < 4 || a.width > 25 || a.height < 4 || a.height > 25)
        return "frame width and height must be 4 to 25";
    if (a.steps < 1 || a.steps > 100) return "steps must be 1 to 100";
    return "";
}

}  // namespace

std::vector<AnimationSpec> ParseAnimationTable(const std::string& text, std::string* error) {
    std::vector<AnimationSpec> table;
    std::set<int> usedSheets;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        const std::string t = Trim(line);
        if (t.empty() || t[0] == '#') continue;
        AnimationSpec spec;
        std::string problem;
        if (!ParseRecord(t, &spec))
            problem = "expected five comma-separated integers";
        else
            problem = CheckRecord(spec, usedSheets);
        if (!problem.empty()) {
            *error = "animations.txt:" + std::to_string(number) + ": " + problem;
            return {};
        }
        usedSheets.insert(spec.sheet);
        table.push_back(spec);
    }
    if (table.size() != kRecordCount) {
        *error = "animations.txt: " + std::to_string(table.size()) +
                 " records, the game needs exactly 6";
        return {};
    }
    return table;
}

std::string FormatAnimationTable(const std::vector<AnimationSpec>& table) {
    std::string out;
    for (const AnimationSpec& a : table) {
        out += std::to_string(a.sheet) + "," + std::to_string(a.frames) + "," +
               std::to_string(a.width) + "," + std::to_string(a.height) + "," +
               std::to_string(a.steps) + "\r\n";
    }
    return out;
}

}  // namespace ZapAssets
