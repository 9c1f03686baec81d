// SPDX-License-Identifier: GPL-3.0-or-later
// The editor module's entry points: what the page's editor (browser/page/editor.js) calls, each a
// thin call into the one EditorSession. Points are in the field's pixels. Texts go both ways as
// UTF-8; a text returned stays valid until the next call that returns one.

#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "editor/editor_session.h"
#include "editor/level_set_files.h"
#include "graphics/sprites.h"
#include "model/field_geometry.h"
#include "pictures/picture_loader.h"

namespace {

using ZapModule::BrickRecord;
using ZapModule::EditorSession;
using ZapModule::GameState;

GameState sprites;  // the game's pictures, and the field they are drawn on
std::unique_ptr<EditorSession> session;
std::string returned;              // the last text handed to the page
std::vector<uint32_t> shownField;  // the field as the canvas takes it (R, G, B, A)
std::vector<uint8_t> testLevel;    // the level of the last test play, and why it cannot be
std::string testProblem;

const char* Return(std::string text) {
    returned = std::move(text);
    return returned.c_str();
}

// A text as a JSON string.
std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (const unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04x", c);
            out += code;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + '"';
}

std::string Numbers(const std::vector<size_t>& values) {
    std::string out = "[";
    for (size_t i = 0; i < values.size(); ++i) out += (i ? "," : "") + std::to_string(values[i]);
    return out + "]";
}

std::string StateJson() {
    const EditorSession& e = *session;
    const ZapModule::LevelSet& set = e.Set();
    std::string out = "{\"levels\":[";
    for (size_t l = 0; l < set.Levels.size(); ++l)
        out += (l ? ",[" : "[") + Quoted(set.Titles[l]) + "," +
               std::to_string(set.Levels[l].size()) + "]";
    out += "],\"current\":" + std::to_string(e.Current());
    out += ",\"bricks\":[";
    const ZapModule::EditorLevel& level = e.Level();
    for (size_t i = 0; i < level.size(); ++i) {
        const BrickRecord& b = level[i];
        char brick[96];
        std::snprintf(brick, sizeof brick, "%s[%d,%d,%d,%d,%d,%d]", i ? "," : "", b.X, b.Y,
                      b.Points, b.Picture, b.Type, b.Bonus);
        out += brick;
    }
    out += "],\"selection\":" + Numbers(e.Selection());
    const std::set<size_t> faulty = e.Check().FaultyBricks(e.Current());
    out += ",\"faulty\":" + Numbers({faulty.begin(), faulty.end()});
    out += ",\"problemCount\":" + std::to_string(e.Check().Count());
    out += ",\"refused\":" + std::string(e.Check().AnyRefused() ? "true" : "false");
    out += ",\"problems\":[";
    const auto problems = e.Check().First(ZapModule::kShownProblems);
    for (size_t i = 0; i < problems.size(); ++i)
        out += (i ? ",[" : "[") + std::string(problems[i].Refused ? "true" : "false") + "," +
               std::to_string(problems[i].Level) + "," + std::to_string(problems[i].Brick) + "," +
               Quoted(problems[i].Text) + "]";
    const ZapModule::PaletteBrick& p = e.Palette();
    out += "],\"palette\":[" + std::to_string(p.Picture) + "," + std::to_string(p.Type) + "," +
           std::to_string(p.Points) + "," + std::to_string(p.Bonus) + "]";
    out += ",\"undo\":" + Quoted(e.UndoName()) + ",\"redo\":" + Quoted(e.RedoName());
    out += ",\"canPaste\":" + std::string(e.CanPaste() ? "true" : "false");
    out += ",\"changed\":" + std::string(e.Changed() ? "true" : "false") + "}";
    return out;
}

// 0xFFRRGGBB in memory (B, G, R, A on a little-endian machine) as the canvas's R, G, B, A.
uint32_t Rgba(uint32_t argb) {
    return (argb & 0xFF00FF00u) | ((argb >> 16) & 0xFFu) | ((argb & 0xFFu) << 16);
}

const uint32_t* Shown(const Surface& surface) {
    shownField.resize(static_cast<size_t>(surface.Width()) * surface.Height());
    for (size_t i = 0; i < shownField.size(); ++i) shownField[i] = Rgba(surface.Bits()[i]);
    return shownField.data();
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string joined;
    for (const std::string& line : lines) joined += (joined.empty() ? "" : "\n") + line;
    return joined;
}

}  // namespace

extern "C" {

// Loads the game's pictures from `dataFolder` and makes a new set; an empty text when they
// loaded, otherwise why not.
EMSCRIPTEN_KEEPALIVE const char* ze_start(const char* dataFolder) {
    sprites.DataFolder = dataFolder;
    std::string failed, why;
    const auto load = [](const std::string& path, std::string* problem) {
        return ZapModule::LoadPicture(path, problem);
    };
    if (!ZapModule::LoadSprites(sprites, load, &failed, &why)) return Return(failed + ": " + why);
    sprites.Field = Surface(ZapModule::kFieldWidth, ZapModule::kFieldHeight);
    session = std::make_unique<EditorSession>(ZapModule::BrickPictures(sprites));
    return Return("");
}

// The editor's numbers: 0 the field's width, 1 its height, 2 a grid cell's width, 3 its height,
// 4 the pictures of the brick sheet, 5 the bonus kinds (1 to this; 0 none), 6 the steel type.
EMSCRIPTEN_KEEPALIVE int ze_number(int which) {
    switch (which) {
        case 0:
            return ZapModule::kFieldWidth;
        case 1:
            return ZapModule::kFieldHeight;
        case 2:
            return ZapModule::kCellWidth;
        case 3:
            return ZapModule::kCellHeight;
        case 4:
            return ZapModule::BrickPictures(sprites);
        case 5:
            return ZapModule::Bonus::Surprise;
        default:
            return ZapModule::kTypeSteel;
    }
}

// The Czech names of a brick type (to ze_number(6)) and of a bonus kind (0 none, to
// ze_number(5)).
EMSCRIPTEN_KEEPALIVE const char* ze_type_name(int type) {
    return Return(ZapModule::TypeName(type));
}

// The Czech name of a bonus kind (0 none, to ze_number(5)).
EMSCRIPTEN_KEEPALIVE const char* ze_bonus_name(int bonus) {
    return Return(ZapModule::BonusName(bonus));
}

// What the page shows, as JSON: the level list [title, bricks], the level shown and its bricks
// [x, y, points, picture, type, bonus], the selection, the bricks with a problem, the problems
// [refused, level, brick, text], the palette [picture, type, points, bonus], the undo and redo
// steps' names, whether there is something to paste and whether the set changed since kept.
EMSCRIPTEN_KEEPALIVE const char* ze_state() {
    return Return(StateJson());
}

// A sprite's picture as R, G, B, A rows, and its size.
EMSCRIPTEN_KEEPALIVE const uint32_t* ze_sprite(int index) {
    return Shown(sprites.Sprites[static_cast<size_t>(index)].Pixels);
}

EMSCRIPTEN_KEEPALIVE int ze_sprite_width(int index) {
    return sprites.Sprites[static_cast<size_t>(index)].Width;
}

EMSCRIPTEN_KEEPALIVE int ze_sprite_height(int index) {
    return sprites.Sprites[static_cast<size_t>(index)].Height;
}

// The level shown, drawn by the game's own drawing pass, its selection moved by (dx, dy) as a
// drag would land it: the field's R, G, B, A rows.
EMSCRIPTEN_KEEPALIVE const uint32_t* ze_draw(int dx, int dy) {
    sprites.Field.FillBlack(0, 0, ZapModule::kFieldWidth, ZapModule::kFieldHeight);
    const auto& selection = session->Selection();
    const ZapModule::EditorLevel& level = session->Level();
    for (size_t i = 0; i < level.size(); ++i) {
        BrickRecord brick = level[i];
        if (std::binary_search(selection.begin(), selection.end(), i)) {
            brick.X = static_cast<int16_t>(brick.X + dx);
            brick.Y = static_cast<int16_t>(brick.Y + dy);
        }
        ZapModule::DrawBrick(sprites, brick);
    }
    return Shown(sprites.Field);
}

EMSCRIPTEN_KEEPALIVE void ze_new_set() {
    session->NewSet();
}

// Opens the set file at `path`; empty when opened, otherwise its problems, a line each.
EMSCRIPTEN_KEEPALIVE const char* ze_open(const char* path) {
    return Return(Lines(session->Open(path)));
}

// The set file at `path` (a level text, or a level file when it ends in ".ko") as the editor would
// keep it once opened, written to `textPath` and `compiledPath`, the set shown left as it is:
// for a set brought in with the player's files. Empty when written; otherwise why not, a line
// each (the game's reasons for a set it would refuse).
EMSCRIPTEN_KEEPALIVE const char* ze_convert(const char* path, const char* textPath,
                                            const char* compiledPath) {
    const ZapModule::OpenedLevelSet opened = ZapModule::OpenLevelSetFile(path);
    std::vector<std::string> problems = opened.Problems;
    if (problems.empty())
        for (const auto& p :
             ZapModule::CheckLevelSet(opened.Set.Levels, ZapModule::BrickPictures(sprites)))
            if (p.Refused) problems.push_back(p.Text);
    if (problems.empty())
        if (std::string failed = ZapModule::SaveLevelSet({textPath, compiledPath}, opened.Text,
                                                         ZapModule::EncodeLevelSet(opened.Set));
            !failed.empty())
            problems.push_back(std::move(failed));
    return Return(Lines(problems));
}

EMSCRIPTEN_KEEPALIVE void ze_select_level(int level) {
    if (level >= 0) session->SelectLevel(static_cast<size_t>(level));
}

EMSCRIPTEN_KEEPALIVE void ze_set_palette(int picture, int type, int points, int bonus) {
    session->SetPalette({static_cast<int16_t>(picture), static_cast<int16_t>(type),
                         static_cast<int16_t>(points), static_cast<int16_t>(bonus)});
}

EMSCRIPTEN_KEEPALIVE int ze_default_points(int picture, int type) {
    return session->DefaultPointsFor(static_cast<int16_t>(picture), static_cast<int16_t>(type));
}

EMSCRIPTEN_KEEPALIVE void ze_stroke_draw(int x, int y, int free) {
    session->StrokeDraw(x, y, free != 0);
}

EMSCRIPTEN_KEEPALIVE void ze_stroke_erase(int x, int y) {
    session->StrokeErase(x, y);
}

EMSCRIPTEN_KEEPALIVE void ze_stroke_end() {
    session->EndStroke();
}

EMSCRIPTEN_KEEPALIVE void ze_stroke_cancel() {
    session->CancelStroke();
}

EMSCRIPTEN_KEEPALIVE void ze_select_at(int x, int y, int add) {
    session->SelectAt(x, y, add != 0);
}

EMSCRIPTEN_KEEPALIVE void ze_select_band(int left, int top, int right, int bottom, int add) {
    session->SelectBand(left, top, right, bottom, add != 0);
}

EMSCRIPTEN_KEEPALIVE void ze_select_all() {
    session->SelectAll();
}

EMSCRIPTEN_KEEPALIVE int ze_on_selection(int x, int y) {
    return session->OnSelection(x, y) ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE void ze_move_selection(int dx, int dy) {
    session->MoveSelection(dx, dy);
}

EMSCRIPTEN_KEEPALIVE void ze_delete_selection() {
    session->DeleteSelection();
}

EMSCRIPTEN_KEEPALIVE void ze_apply_palette() {
    session->ApplyPaletteToSelection();
}

EMSCRIPTEN_KEEPALIVE void ze_copy() {
    session->CopySelection();
}

// Pastes with the first brick at (x, y), or at its own place when `here` is 0.
EMSCRIPTEN_KEEPALIVE void ze_paste(int here, int x, int y) {
    if (here)
        session->Paste(x, y);
    else
        session->Paste();
}

EMSCRIPTEN_KEEPALIVE void ze_add_level() {
    session->AddLevel();
}

EMSCRIPTEN_KEEPALIVE void ze_duplicate_level() {
    session->DuplicateLevel();
}

// Empty when deleted; why not when the level is the set's last and stays.
EMSCRIPTEN_KEEPALIVE const char* ze_delete_level() {
    return Return(session->DeleteLevel());
}

// Empty when renamed; why not when the set's text would not keep the title whole.
EMSCRIPTEN_KEEPALIVE const char* ze_rename_level(const char* title) {
    return Return(session->RenameLevel(title));
}

EMSCRIPTEN_KEEPALIVE void ze_move_level(int from, int to) {
    if (from >= 0 && to >= 0)
        session->MoveLevel(static_cast<size_t>(from), static_cast<size_t>(to));
}

EMSCRIPTEN_KEEPALIVE void ze_undo() {
    session->Undo();
}

EMSCRIPTEN_KEEPALIVE void ze_redo() {
    session->Redo();
}

// The set's text as it is kept.
EMSCRIPTEN_KEEPALIVE const char* ze_text() {
    return Return(session->Text());
}

// Writes the set's text and level file to these paths; empty when written, otherwise why not.
EMSCRIPTEN_KEEPALIVE const char* ze_keep(const char* textPath, const char* compiledPath) {
    return Return(session->Keep({textPath, compiledPath}));
}

// The level shown alone as a level file, for a test play: its bytes (ze_test_level_size long),
// or none when the game would refuse it, with why in ze_test_level_problem.
EMSCRIPTEN_KEEPALIVE const uint8_t* ze_test_level() {
    testProblem = session->TestLevelFile(testLevel);
    return testProblem.empty() ? testLevel.data() : nullptr;
}

EMSCRIPTEN_KEEPALIVE int ze_test_level_size() {
    return static_cast<int>(testLevel.size());
}

EMSCRIPTEN_KEEPALIVE const char* ze_test_level_problem() {
    return testProblem.c_str();
}

}  // extern "C"
