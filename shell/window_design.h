// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The three windows as every frontend draws them: each window's size and caption, the place of
// each control in its client area's pixels, the fixed texts and the limits the controls keep. The
// Qt windows (frontend/) place their controls from it; the browser edition's build writes the
// page's markup and its constants script from it (browser/site/page_writer.cpp).

#include <array>
#include <cstdint>
#include <string_view>

#include "model/field_geometry.h"
#include "model/screen_geometry.h"
#include "model/state.h"
#include "model/version.h"
#include "shell/hall_colours.h"

namespace ZapModule {

// A control's place: its top left corner and its size, in the window's client pixels.
struct Box {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

// The longest name the name box takes.
constexpr int kPlayerNameLength = 8;
// The windows' captions are kWindowCaption and kGameScreenCaption (model/version.h).

namespace MenuDesign {
inline constexpr Box kWindow{0, 0, 538, 330};
inline constexpr Box kPlayerLabel{8, 16, 97, 17};
inline constexpr Box kPlayerList{8, 32, 97, 134};
inline constexpr Box kNewPlayerLabel{8, 184, 97, 17};
inline constexpr Box kNameBox{8, 200, 97, 19};
inline constexpr Box kNameFrame{168, 24, 193, 41};
inline constexpr Box kPlayerName{184, 32, 161, 25};
// Level, Balls and IQ of the chosen player.
inline constexpr std::array<Box, 3> kStatistics{
    {{184, 72, 161, 17}, {184, 96, 161, 17}, {184, 120, 161, 17}}};
inline constexpr Box kSoundSwitch{120, 168, 105, 17};
inline constexpr Box kTickLabel{120, 184, 105, 17};
inline constexpr Box kTickBar{120, 200, 105, 17};
// Start, "Síň slávy" and Exit, each with its hover frame around it.
inline constexpr std::array<Box, 3> kCommands{
    {{400, 24, 121, 17}, {400, 56, 121, 17}, {400, 88, 121, 17}}};
inline constexpr Box kDedication{248, 144, 273, 57};
inline constexpr Box kCredits{248, 208, 265, 17};
// A line one pixel high across the window, above the story.
inline constexpr Box kStoryLine{8, 232, 521, 1};
inline constexpr Box kStory{8, 240, 521, 81};

inline constexpr std::string_view kPlayerLabelText = "Hráč:";
inline constexpr std::string_view kNewPlayerLabelText = "Nový hráč:";
// The name label while nobody is chosen, and the statistics' captions before their values.
inline constexpr std::string_view kNobodyText = "Hráč";
inline constexpr std::array<std::string_view, 3> kStatisticCaptions = {
    "Level: ", "Balls: ", "IQ: "};
inline constexpr std::string_view kSoundSwitchText = "Zvuky";
// The speed bar's label is this and the value.
inline constexpr std::string_view kTickCaption = "Tick: ";
inline constexpr std::array<std::string_view, 3> kCommandTexts = {"Start", "Síň slávy", "Exit"};
inline constexpr std::string_view kDedicationText =
    "Tato hra byla naprogramována jako nostalgická vzpomínka na časy dávno minulé. Je věnována "
    "všem ZX Specrům, Commodorům 64 a Didacticům M. Budiž jim země lehká... ";
inline constexpr std::string_view kCreditsText = "© 2026 Zapwall — hru znovu vytvořil její tým";
// With CR LF line ends, as written; a text box shows each as one line break.
inline constexpr std::string_view kStoryText =
    "Do systému supertajného stroje se dostaly viry. Jedná se nejspíše o útok konkurenčních "
    "společností, které \r\nse nemohou smířit s jedinečností systému, který byl stvořen v "
    "laboratořích Bronzetu.\r\nSystém nyní využije vestavěné obrany, která je jeho součástí, ale "
    "automatika byla zničena viry. Obranný článek musí být řízen manuálně. Byl jsi pověřen "
    "řízením obrany. Přistup k terminálu a kontroluj systém část za částí, dokud všechny viry "
    "nebudou vymýceny...\r\n";
}  // namespace MenuDesign

namespace GameScreenDesign {
inline constexpr Box kWindow{0, 0, kScreenWidth, kScreenHeight};
inline constexpr Box kField{kFieldLeftOnScreen, kFieldTopOnScreen, kFieldWidth, kFieldHeight};
// The player's name (Label1(3)), and Level, Balls and IQ (Label1(2), (0), (1)), each value beside
// its caption.
inline constexpr Box kName{520, 16, 137, 33};
inline constexpr std::array<Box, 3> kCaptions{
    {{520, 64, 33, 17}, {520, 112, 33, 17}, {520, 160, 33, 17}}};
inline constexpr std::array<Box, 3> kValues{
    {{520, 60, 137, 33}, {520, 107, 137, 33}, {520, 154, 137, 33}}};
// The three messages between levels (Label3), in field pixels.
inline constexpr std::array<Box, 3> kMessages{
    {{96, 104, 297, 25}, {96, 152, 297, 49}, {96, 232, 297, 25}}};
inline constexpr std::string_view kNameText = kNoPlayerName;
inline constexpr std::array<std::string_view, 3> kCaptionTexts = {"Level:", "Balls:", "IQ:"};
inline constexpr std::string_view kValueText = "0";
}  // namespace GameScreenDesign

namespace HallDesign {
inline constexpr Box kWindow{0, 0, 474, 306};
inline constexpr Box kTitle{136, 16, 193, 25};
inline constexpr Box kClose{168, 272, 137, 17};
inline constexpr std::string_view kTitleText = "In Memoriam";
inline constexpr std::string_view kCloseText = "Zavřít";

// A row of the table: the rank, the name and the score, ranks 1-5 in the left column, 6-10 in
// the right one.
struct Row {
    Box Rank;
    Box Name;
    Box Score;
};
constexpr Row RowAt(int row) {
    const int left = row < HallColourCycle::kRows / 2 ? 8 : 256;
    const int top = 64 + 40 * (row % (HallColourCycle::kRows / 2));
    return {{left, top, 25, 25}, {left + 24, top, 89, 25}, {left + 120, top, 89, 25}};
}
}  // namespace HallDesign

}  // namespace ZapModule
