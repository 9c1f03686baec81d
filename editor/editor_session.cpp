// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/editor_session.h"

#include <algorithm>
#include <iterator>

#include "storage/level_text.h"

namespace ZapModule {

namespace {

// Each step holds only what it changed; the oldest go beyond this many, as on the desktop.
constexpr size_t kUndoSteps = 100;

// Whether the set's text gives the title back as it is: a word in it that starts with '#' would
// begin a comment of its `level` line, and the rest of the title would be lost at the next opening.
bool TitleKept(const std::string& title) {
    const LevelSet probe{{{MakeBrick(0, 0, 10, 0, kTypeOrdinary, 0)}}, {title}, {}};
    const CompiledLevels compiled =
        CompileLevelText(DecompileLevels(EncodeLevelSet(probe), probe.Titles));
    return compiled.Errors.empty() && compiled.Titles == probe.Titles;
}

}  // namespace

std::string TypeName(int type) {
    static constexpr const char* kNames[] = {"obyčejná", "na dva zásahy", "ocelová"};
    static_assert(std::size(kNames) == kTypeSteel + 1);
    return type >= 0 && type <= kTypeSteel ? kNames[type] : "druh " + std::to_string(type);
}

std::string BonusName(int bonus) {
    // By the kind's number (Bonus::Kind), none first.
    static constexpr const char* kNames[] = {
        "žádný",          "dlouhá pálka", "krátká pálka", "zeď",   "míček navíc",
        "zabiják míčku",  "rychlý míček", "pomalý míček", "bomba", "život navíc",
        "průrazný míček", "lepivá pálka", "překvapení"};
    static_assert(std::size(kNames) == Bonus::Surprise + 1);
    return bonus >= 0 && bonus <= Bonus::Surprise ? kNames[bonus]
                                                  : "bonus " + std::to_string(bonus);
}

int BrickPictures(const GameState& sprites) {
    return kBrickSheetSprite < sprites.SpriteCount()
               ? sprites.Sprites[kBrickSheetSprite].Width / kCellWidth
               : 0;
}

EditorSession::EditorSession(int brickPictures) : brickPictures_(brickPictures) {
    NewSet();
}

void EditorSession::NewSet() {
    Begin(NewLevelSet(), {});
}

std::vector<std::string> EditorSession::Open(const std::string& path, FilesOnDisk* onDisk) {
    OpenedLevelSet opened = OpenLevelSetFile(path);
    if (!opened.Problems.empty()) return opened.Problems;
    if (onDisk) *onDisk = std::move(opened.OnDisk);
    Begin(std::move(opened.Set), std::move(opened.Text));
    return {};
}

void EditorSession::Begin(LevelSet set, std::string text) {
    set_ = keptSet_ = std::move(set);
    keptText_ = std::move(text);
    current_ = 0;
    selection_.clear();
    undo_.clear();
    redo_.clear();
    strokeBefore_.reset();
    Refresh();
}

void EditorSession::SelectLevel(size_t level) {
    if (level >= set_.Levels.size() || level == current_) return;
    current_ = level;
    selection_.clear();
}

int16_t EditorSession::DefaultPointsFor(int16_t picture, int16_t type) const {
    return DefaultPoints(set_, picture, type);
}

BrickRecord EditorSession::PaletteBrickAt(int x, int y) const {
    // A steel brick is never broken, so it leaves no bonus.
    return MakeBrick(x, y, palette_.Points, palette_.Picture, palette_.Type,
                     palette_.Type == kTypeSteel ? int16_t{0} : palette_.Bonus);
}

void EditorSession::StrokeDraw(int x, int y, bool free) {
    // The grid offers only cells the field holds whole (not the last, cut column at x 480).
    if (!free && (x < 0 || y < 0 || SnapX(x) + kCellWidth > kFieldWidth ||
                  SnapY(y) + kCellHeight > kFieldHeight))
        return;
    const BrickRecord brick = free ? PaletteBrickAt(x - kCellWidth / 2, y - kCellHeight / 2)
                                   : PaletteBrickAt(SnapX(x), SnapY(y));
    const int there = BrickAt(Level(), x, y);
    if (there >= 0 && Level()[static_cast<size_t>(there)] == brick) return;
    if (!strokeBefore_) strokeBefore_ = Level();
    PlaceBrick(set_.Levels[current_], brick);
    selection_.clear();
}

void EditorSession::StrokeErase(int x, int y) {
    const int there = BrickAt(Level(), x, y);
    if (there < 0) return;
    if (!strokeBefore_) strokeBefore_ = Level();
    RemoveBricks(set_.Levels[current_], {static_cast<size_t>(there)});
    selection_.clear();
}

void EditorSession::EndStroke() {
    if (!strokeBefore_) return;
    EditorLevel before = std::move(*strokeBefore_);
    strokeBefore_.reset();
    if (before == Level()) return;
    // The stroke is on the set already: the step keeps what it changed.
    Push("kreslení", LevelChange(std::move(before)));
}

void EditorSession::CancelStroke() {
    if (!strokeBefore_) return;
    set_.Levels[current_] = std::move(*strokeBefore_);
    strokeBefore_.reset();
}

void EditorSession::SetSelection(std::vector<size_t> bricks) {
    std::sort(bricks.begin(), bricks.end());
    bricks.erase(std::unique(bricks.begin(), bricks.end()), bricks.end());
    std::erase_if(bricks, [this](size_t i) { return i >= Level().size(); });
    selection_ = std::move(bricks);
}

void EditorSession::Select(std::vector<size_t> bricks, bool add) {
    if (add) bricks.insert(bricks.end(), selection_.begin(), selection_.end());
    SetSelection(std::move(bricks));
    if (selection_.size() == 1) {
        const BrickRecord& b = Level()[selection_[0]];
        palette_ = {b.Picture, b.Type, b.Points, b.Bonus};
    }
}

void EditorSession::SelectAt(int x, int y, bool add) {
    const int hit = BrickAt(Level(), x, y);
    Select(hit >= 0 ? std::vector<size_t>{static_cast<size_t>(hit)} : std::vector<size_t>{}, add);
}

void EditorSession::SelectBand(int left, int top, int right, int bottom, bool add) {
    Select(BricksMeeting(Level(), std::min(left, right), std::min(top, bottom),
                         std::max(left, right) + 1, std::max(top, bottom) + 1),
           add);
}

void EditorSession::SelectAll() {
    std::vector<size_t> all(Level().size());
    for (size_t i = 0; i < all.size(); ++i) all[i] = i;
    SetSelection(std::move(all));
}

bool EditorSession::OnSelection(int x, int y) const {
    const int hit = BrickAt(Level(), x, y);
    return hit >= 0 &&
           std::binary_search(selection_.begin(), selection_.end(), static_cast<size_t>(hit));
}

void EditorSession::MoveSelection(int dx, int dy) {
    if (dx == 0 && dy == 0) return;
    std::vector<size_t> moved;
    EditLevel("přesun", [&](EditorLevel& level) { moved = MoveBricks(level, selection_, dx, dy); });
    SetSelection(std::move(moved));
}

void EditorSession::DeleteSelection() {
    EditLevel("smazání", [&](EditorLevel& level) { RemoveBricks(level, selection_); });
    selection_.clear();
}

void EditorSession::ApplyPaletteToSelection() {
    EditLevel("změna cihel", [&](EditorLevel& level) {
        for (size_t i : selection_) level[i] = PaletteBrickAt(level[i].X, level[i].Y);
    });
}

void EditorSession::CopySelection() {
    if (selection_.empty()) return;
    clipboard_.clear();
    for (size_t i : selection_) clipboard_.push_back(Level()[i]);
}

void EditorSession::Paste(std::optional<int> x, std::optional<int> y) {
    if (clipboard_.empty()) return;
    const int dx = x ? SnapX(*x) - SnapX(clipboard_[0].X) : 0;
    const int dy = y ? SnapY(*y) - SnapY(clipboard_[0].Y) : 0;
    std::vector<size_t> pasted;
    EditLevel("vložení",
              [&](EditorLevel& level) { pasted = PasteBricks(level, clipboard_, dx, dy); });
    SetSelection(std::move(pasted));
}

void EditorSession::AddLevel() {
    Edit("nová úroveň", [&](LevelSet& set) { InsertLevel(set, current_ + 1, EditorLevel{}); });
    SelectLevel(current_ + 1);
}

void EditorSession::DuplicateLevel() {
    Edit("zdvojení úrovně", [&](LevelSet& set) { ZapModule::DuplicateLevel(set, current_); });
    SelectLevel(current_ + 1);
}

std::string EditorSession::DeleteLevel() {
    if (set_.Levels.size() == 1) return "Sada musí mít aspoň jednu úroveň.";
    Edit("smazání úrovně", [&](LevelSet& set) { RemoveLevel(set, current_); });
    current_ = std::min(current_, set_.Levels.size() - 1);
    selection_.clear();
    return {};
}

std::string EditorSession::RenameLevel(const std::string& title) {
    if (!TitleKept(title))
        return "Název „" + title +
               "“ by se v textu sady nezachoval celý: slovo začínající znakem # v něm začíná "
               "poznámku. Zvolte jiný.";
    Edit("název úrovně", [&](LevelSet& set) { set.Titles[current_] = title; });
    return {};
}

void EditorSession::MoveLevel(size_t from, size_t to) {
    const size_t last = set_.Levels.size() - 1;
    from = std::min(from, last);
    to = std::min(to, last);
    Edit("přesun úrovně", [&](LevelSet& set) { ZapModule::MoveLevel(set, from, to); });
    current_ = to;
    selection_.clear();
}

void EditorSession::Undo() {
    if (undo_.empty()) return;
    ZapModule::Undo(set_, undo_.back().Change);
    redo_.push_back(std::move(undo_.back()));
    undo_.pop_back();
    Refresh();
}

void EditorSession::Redo() {
    if (redo_.empty()) return;
    ZapModule::Redo(set_, redo_.back().Change);
    undo_.push_back(std::move(redo_.back()));
    redo_.pop_back();
    Refresh();
}

std::string EditorSession::Refusals(const std::string& what) const {
    if (!check_.AnyRefused()) return {};
    std::string text = what;
    for (const LevelRuleProblem& p : check_.First(kShownProblems, true)) text += "\n" + p.Text;
    return text;
}

std::string EditorSession::Text() const {
    return LevelSetText(set_, keptSet_, keptText_);
}

std::string EditorSession::Keep(const SavePaths& paths, FilesOnDisk* onDisk) {
    if (std::string refused = Refusals("Sadu nelze uložit, hra by ji odmítla:"); !refused.empty())
        return refused;
    const std::string text = Text();
    if (std::string failed = SaveLevelSet(paths, text, EncodeLevelSet(set_), onDisk);
        !failed.empty())
        return "Sadu nelze uložit: " + failed;
    keptSet_ = set_;
    keptText_ = text;
    return {};
}

std::string EditorSession::TestLevelFile(std::vector<uint8_t>& bytes) const {
    const std::vector<LevelRuleProblem> problems = CheckLevelSet({Level()}, brickPictures_);
    const auto refused = std::find_if(problems.begin(), problems.end(),
                                      [](const LevelRuleProblem& p) { return p.Refused; });
    if (refused != problems.end()) return "Tuto úroveň hra nepřijme: " + refused->Text;
    bytes = EncodeLevelSet({{Level()}, {""}, {}});
    return {};
}

void EditorSession::Edit(const std::string& name, const std::function<void(LevelSet&)>& change) {
    LevelSet after = set_;
    change(after);
    if (after == set_) return;
    LevelSetChange difference = DifferenceOf(set_, after);
    set_ = std::move(after);
    Push(name, std::move(difference));
}

void EditorSession::EditLevel(const std::string& name,
                              const std::function<void(EditorLevel&)>& change) {
    EditorLevel before = Level();
    change(set_.Levels[current_]);
    if (before == Level()) return;
    Push(name, LevelChange(std::move(before)));
}

LevelSetChange EditorSession::LevelChange(EditorLevel before) const {
    // The difference of the level alone, as a set of one level, put at the level's place: an edit
    // of one level costs that level, not the whole set.
    LevelSetChange change = DifferenceOf({{std::move(before)}, {""}, {}}, {{Level()}, {""}, {}});
    change.Levels.At = current_;
    return change;
}

void EditorSession::Push(const std::string& name, LevelSetChange change) {
    undo_.push_back({name, std::move(change)});
    if (undo_.size() > kUndoSteps) undo_.erase(undo_.begin());
    redo_.clear();
    Refresh();
}

void EditorSession::Refresh() {
    // The set always has a level: opening refuses a file without one, and the last one stays.
    current_ = std::min(current_, set_.Levels.size() - 1);
    std::erase_if(selection_, [this](size_t i) { return i >= Level().size(); });
    check_.Update(set_.Levels, brickPictures_);
}

}  // namespace ZapModule
