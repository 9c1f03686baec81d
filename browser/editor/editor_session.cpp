// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/editor/editor_session.h"

#include <algorithm>

#include "editor/level_set_files.h"
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

EditorSession::EditorSession(int brickPictures) : brickPictures_(brickPictures) {
    NewSet();
}

void EditorSession::NewSet() {
    Begin(NewLevelSet(), {});
}

std::vector<std::string> EditorSession::Open(const std::string& path) {
    OpenedLevelSet opened = OpenLevelSetFile(path);
    if (!opened.Problems.empty()) return opened.Problems;
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

void EditorSession::SelectAt(int x, int y, bool add) {
    const int hit = BrickAt(Level(), x, y);
    std::vector<size_t> bricks;
    if (hit >= 0) bricks.push_back(static_cast<size_t>(hit));
    if (add) bricks.insert(bricks.end(), selection_.begin(), selection_.end());
    SetSelection(std::move(bricks));
    if (selection_.size() == 1) {
        const BrickRecord& b = Level()[selection_[0]];
        palette_ = {b.Picture, b.Type, b.Points, b.Bonus};
    }
}

void EditorSession::SelectBand(int left, int top, int right, int bottom, bool add) {
    std::vector<size_t> bricks =
        BricksMeeting(Level(), std::min(left, right), std::min(top, bottom),
                      std::max(left, right) + 1, std::max(top, bottom) + 1);
    if (add) bricks.insert(bricks.end(), selection_.begin(), selection_.end());
    SetSelection(std::move(bricks));
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

bool EditorSession::DeleteLevel() {
    if (set_.Levels.size() == 1) return false;
    Edit("smazání úrovně", [&](LevelSet& set) { RemoveLevel(set, current_); });
    current_ = std::min(current_, set_.Levels.size() - 1);
    selection_.clear();
    return true;
}

bool EditorSession::RenameLevel(const std::string& title) {
    if (!TitleKept(title)) return false;
    Edit("název úrovně", [&](LevelSet& set) { set.Titles[current_] = title; });
    return true;
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

std::string EditorSession::Text() const {
    return LevelSetText(set_, keptSet_, keptText_);
}

std::string EditorSession::Keep(const std::string& textPath, const std::string& compiledPath) {
    if (check_.AnyRefused()) {
        std::string text = "Sadu nelze uložit, hra by ji odmítla:";
        for (const LevelRuleProblem& p : check_.First(kShownProblems, true)) text += "\n" + p.Text;
        return text;
    }
    const std::string text = Text();
    if (std::string failed = SaveLevelSet({textPath, compiledPath}, text, EncodeLevelSet(set_));
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
