// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the page's markup and its constants script from the windows' design
// (shell/window_design.h) and the rules' limits, so that the page draws what the desktop draws from
// one description:
//
//   page-writer TEMPLATE INDEX_HTML CONSTANTS_JS
//
// TEMPLATE is browser/page/index.html; each {{KIND:NAME}} in it becomes, for the box, text or
// number of that name below: box (its "left: …px; top: …px; width: …px; height: …px"), size
// ("width: …px; height: …px"), left, top, width, height (a number), text (HTML-escaped, CR LF as
// one line end) or number. An unknown name stops the build. CONSTANTS_JS sets
// window.ZapwallDesign to the numbers, the player's file names, the hall of fame's rows and the
// game screen's buttons (left, top, right, bottom), which the page's scripts read instead of
// literals of their own.

#include <cstdint>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "browser/app/page_folders.h"
#include "game/input.h"
#include "hall_protocol/html_text.h"
#include "model/screen_geometry.h"
#include "platform/disk_files.h"
#include "shell/menu_rules.h"
#include "shell/window_design.h"
#include "storage/hall.h"
#include "storage/replay_folder.h"
#include "storage/roster.h"
#include "storage/tick.h"
#include "values/data_limits.h"

namespace ZapModule {
namespace {

const std::map<std::string_view, Box> kBoxes = {
    {"menu", MenuDesign::kWindow},
    {"menu.player-label", MenuDesign::kPlayerLabel},
    {"menu.player-list", MenuDesign::kPlayerList},
    {"menu.new-player-label", MenuDesign::kNewPlayerLabel},
    {"menu.name-box", MenuDesign::kNameBox},
    {"menu.name-frame", MenuDesign::kNameFrame},
    {"menu.player-name", MenuDesign::kPlayerName},
    {"menu.stat-level", MenuDesign::kStatistics[0]},
    {"menu.stat-balls", MenuDesign::kStatistics[1]},
    {"menu.stat-iq", MenuDesign::kStatistics[2]},
    {"menu.sound-switch", MenuDesign::kSoundSwitch},
    {"menu.tick-label", MenuDesign::kTickLabel},
    {"menu.tick-bar", MenuDesign::kTickBar},
    {"menu.start", MenuDesign::kCommands[MenuRules::kStart]},
    {"menu.hall", MenuDesign::kCommands[MenuRules::kHallOfFame]},
    {"menu.exit", MenuDesign::kCommands[MenuRules::kExit]},
    {"menu.dedication", MenuDesign::kDedication},
    {"menu.credits", MenuDesign::kCredits},
    {"menu.story-line", MenuDesign::kStoryLine},
    {"menu.story", MenuDesign::kStory},
    {"game", GameScreenDesign::kWindow},
    {"game.field", GameScreenDesign::kField},
    {"game.name", GameScreenDesign::kName},
    {"game.level-caption", GameScreenDesign::kCaptions[0]},
    {"game.balls-caption", GameScreenDesign::kCaptions[1]},
    {"game.iq-caption", GameScreenDesign::kCaptions[2]},
    {"game.level", GameScreenDesign::kValues[0]},
    {"game.balls", GameScreenDesign::kValues[1]},
    {"game.iq", GameScreenDesign::kValues[2]},
    {"game.message-0", GameScreenDesign::kMessages[0]},
    {"game.message-1", GameScreenDesign::kMessages[1]},
    {"game.message-2", GameScreenDesign::kMessages[2]},
    {"hall", HallDesign::kWindow},
    {"hall.title", HallDesign::kTitle},
    {"hall.close", HallDesign::kClose},
};

const std::map<std::string_view, std::string_view> kTexts = {
    {"caption", kWindowCaption},
    {"menu.player-label", MenuDesign::kPlayerLabelText},
    {"menu.new-player-label", MenuDesign::kNewPlayerLabelText},
    {"menu.nobody", MenuDesign::kNobodyText},
    {"menu.stat-level", MenuDesign::kStatisticCaptions[0]},
    {"menu.stat-balls", MenuDesign::kStatisticCaptions[1]},
    {"menu.stat-iq", MenuDesign::kStatisticCaptions[2]},
    {"menu.sound-switch", MenuDesign::kSoundSwitchText},
    {"menu.tick-caption", MenuDesign::kTickCaption},
    {"menu.start", MenuDesign::kCommandTexts[MenuRules::kStart]},
    {"menu.hall", MenuDesign::kCommandTexts[MenuRules::kHallOfFame]},
    {"menu.exit", MenuDesign::kCommandTexts[MenuRules::kExit]},
    {"menu.dedication", MenuDesign::kDedicationText},
    {"menu.credits", MenuDesign::kCreditsText},
    {"menu.story", MenuDesign::kStoryText},
    {"game.name", GameScreenDesign::kNameText},
    {"game.level-caption", GameScreenDesign::kCaptionTexts[0]},
    {"game.balls-caption", GameScreenDesign::kCaptionTexts[1]},
    {"game.iq-caption", GameScreenDesign::kCaptionTexts[2]},
    {"game.value", GameScreenDesign::kValueText},
    {"hall.title", HallDesign::kTitleText},
    {"hall.close", HallDesign::kCloseText},
};

// The player's files, as the desktop names them.
const std::map<std::string_view, std::string_view> kFileNames = {
    {"players", kRosterFile},
    {"hall", kHallFile},
    {"tick", kTickFile},
    {"replay-extension", kReplayExtension},
    {"replays", kReplayFolder},
    {"data-folder", kPageDataFolder},
    {"user-folder", kPageUserFolder},
};

const std::map<std::string_view, long long> kNumbers = {
    {"name-length", kPlayerNameLength},
    {"tick-min", kMinTick},
    {"tick-max", kMaxTick},
    {"tick-default", kDefaultTick},
    {"tick-arrow-step", MenuRules::kTickArrowStep},
    {"tick-page-step", MenuRules::kTickPageStep},
    {"field-width", kFieldWidth},
    {"field-height", kFieldHeight},
    {"screen-height", kScreenHeight},
    {"hall-rows", HallColourCycle::kRows},
    {"hall-step-millis", HallColourCycle::kStepMilliseconds},
    {"key-escape", kKeyEscape},
    {"key-space", kKeySpace},
    {"key-up", kKeyUp},
    {"key-down", kKeyDown},
    {"key-p", kKeyP},
    {"largest-file-bytes", static_cast<long long>(kMaxReplayFileSize)},
    {"kept-replays", static_cast<long long>(kKeptReplays)},
};

template <typename Value>
const Value& Find(const std::map<std::string_view, Value>& named, std::string_view name) {
    const auto found = named.find(name);
    if (found == named.end()) throw std::runtime_error("unknown name: " + std::string(name));
    return found->second;
}

std::string Px(std::string_view property, int value) {
    return std::string(property) + ": " + std::to_string(value) + "px";
}

// The text as the page shows it: CR LF is one line end, as in the desktop's text box.
std::string PageText(std::string_view text) {
    std::string lines;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] != '\r' || i + 1 == text.size() || text[i + 1] != '\n') lines += text[i];
    return EscapeHtml(lines);
}

// What {{KIND:NAME}} stands for.
std::string Replacement(std::string_view kind, std::string_view name) {
    if (kind == "text") return PageText(Find(kTexts, name));
    if (kind == "number") return std::to_string(Find(kNumbers, name));
    const Box& box = Find(kBoxes, name);
    if (kind == "box")
        return Px("left", box.Left) + "; " + Px("top", box.Top) + "; " + Px("width", box.Width) +
               "; " + Px("height", box.Height);
    if (kind == "size") return Px("width", box.Width) + "; " + Px("height", box.Height);
    if (kind == "left") return std::to_string(box.Left);
    if (kind == "top") return std::to_string(box.Top);
    if (kind == "width") return std::to_string(box.Width);
    if (kind == "height") return std::to_string(box.Height);
    throw std::runtime_error("unknown kind: " + std::string(kind));
}

std::string FilledTemplate(const std::string& text) {
    std::string page;
    size_t at = 0;
    for (size_t open; (open = text.find("{{", at)) != std::string::npos;) {
        const size_t close = text.find("}}", open);
        const size_t colon = text.find(':', open);
        if (close == std::string::npos || colon == std::string::npos || colon > close)
            throw std::runtime_error("a {{ without KIND:NAME}} after it");
        page.append(text, at, open - at);
        const std::string_view whole(text);
        page += Replacement(whole.substr(open + 2, colon - open - 2),
                            whole.substr(colon + 1, close - colon - 1));
        at = close + 2;
    }
    page.append(text, at);
    return page;
}

nlohmann::json BoxJson(const Box& box) {
    return {box.Left, box.Top, box.Width, box.Height};
}

std::string ConstantsScript() {
    nlohmann::json design;
    for (const auto& [name, value] : kNumbers) design["numbers"][std::string(name)] = value;
    for (const auto& [name, file] : kFileNames)
        design["files"][std::string(name)] = std::string(file);
    for (int i = 0; i < HallColourCycle::kRows; ++i) {
        const HallDesign::Row row = HallDesign::RowAt(i);
        design["hallRows"].push_back({{"rank", BoxJson(row.Rank)},
                                      {"name", BoxJson(row.Name)},
                                      {"score", BoxJson(row.Score)}});
    }
    for (const auto& [name, button] :
         {std::pair{"start", kStartButtonRect}, {"quit", kQuitButtonRect}})
        design["buttons"][name] = {button.Left, button.Top, button.Right, button.Bottom};
    return "// SPDX-License-Identifier: GPL-3.0-or-later\n"
           "// The windows' design and the rules' limits for the page's scripts, written by the "
           "build.\n"
           "'use strict';\nwindow.ZapwallDesign = " +
           design.dump() + ";\n";
}

std::string ReadText(const std::string& path) {
    const std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(path, kMaxKeptFileBytes);
    if (!bytes) throw std::runtime_error(path + ": cannot be read");
    return {bytes->begin(), bytes->end()};
}

void WriteText(const std::string& path, const std::string& text) {
    if (!ReplaceFile(path, {text.begin(), text.end()}))
        throw std::runtime_error(path + ": cannot be written");
}

}  // namespace
}  // namespace ZapModule

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: page-writer TEMPLATE INDEX_HTML CONSTANTS_JS\n";
        return 2;
    }
    try {
        ZapModule::WriteText(argv[2], ZapModule::FilledTemplate(ZapModule::ReadText(argv[1])));
        ZapModule::WriteText(argv[3], ZapModule::ConstantsScript());
    } catch (const std::exception& e) {
        std::cerr << "page-writer: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
