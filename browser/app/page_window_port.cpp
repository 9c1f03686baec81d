// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/app/page_window_port.h"

#include <emscripten.h>

#include <string>
#include <utility>

#include "graphics/raster.h"

namespace ZapModule {

namespace {

// The page's side: Module.zwPage, set by page.js before the program starts.
EM_JS(void, PageSetLabel, (int label, int index, const char* text, int length),
      { Module.zwPage.setLabel(label, index, UTF8ToString(text, length)); });
EM_JS(void, PageSetLabel3Visible, (int index, int visible),
      { Module.zwPage.setLabel3Visible(index, visible != 0); });
EM_JS(void, PageShowMessage,
      (const char* text, int textLength, const char* title, int titleLength, int question), {
          Module.zwPage.showMessage(UTF8ToString(text, textLength),
                                    UTF8ToString(title, titleLength), question != 0);
      });
EM_JS(void, PageShowHallOfFame, (), { Module.zwPage.showHallOfFame(); });
EM_JS(void, PageHallOfFameChanged, (), { Module.zwPage.hallOfFameChanged(); });
EM_JS(void, PageAskBackgroundFrame, (), { Module.zwPage.askBackgroundFrame(); });
EM_JS(void, PagePutBackground, (const uint32_t* rgba, int width, int height), {
    Module.zwPage.putBackground(HEAPU8.subarray(rgba, rgba + width * height * 4), width, height);
});
EM_JS(void, PageAskFieldFrame, (), { Module.zwPage.askFieldFrame(); });
EM_JS(void, PagePutField,
      (const uint32_t* rgba, int width, int height, const int32_t* rects, int count), {
          Module.zwPage.putField(HEAPU8.subarray(rgba, rgba + width * height * 4), width, height,
                                 HEAP32.subarray(rects >> 2, (rects >> 2) + count * 4));
      });
EM_JS(void, PageAppendPlayerLine, (const char* name, int length),
      { Module.zwPage.appendPlayerLine(UTF8ToString(name, length)); });
EM_JS(void, PageRemovePlayerLine, (int index), { Module.zwPage.removePlayerLine(index); });

constexpr int kLabel1 = 1;
constexpr int kLabel3 = 3;

// 0xFFRRGGBB in memory (B, G, R, A on a little-endian machine) as the canvas's R, G, B, A.
uint32_t Rgba(uint32_t argb) {
    return (argb & 0xFF00FF00u) | ((argb >> 16) & 0xFFu) | ((argb & 0xFFu) << 16);
}

}  // namespace

void PageWindowPort::SetLabel1Text(int index, std::string_view text) {
    PageSetLabel(kLabel1, index, text.data(), static_cast<int>(text.size()));
}

void PageWindowPort::SetLabel3Text(int index, std::string_view text) {
    PageSetLabel(kLabel3, index, text.data(), static_cast<int>(text.size()));
}

void PageWindowPort::SetLabel3Visible(int index, bool visible) {
    PageSetLabel3Visible(index, visible ? 1 : 0);
}

MessageAnswer PageWindowPort::ShowMessage(std::string_view text, std::string_view title,
                                          MessageButtons buttons) {
    const bool question = buttons == MessageButtons::YesNo;
    boxes_.Open([text = std::string(text), title = std::string(title), question] {
        PageShowMessage(text.data(), static_cast<int>(text.size()), title.data(),
                        static_cast<int>(title.size()), question ? 1 : 0);
    });
    // Only OK is asked for of the rules in a browser; a question (which the page asks itself)
    // would get its default button.
    return question ? MessageAnswer::Yes : MessageAnswer::Ok;
}

void PageWindowPort::ShowHallOfFame() {
    boxes_.Open([] { PageShowHallOfFame(); });
}

void PageWindowPort::HallOfFameChanged() {
    PageHallOfFameChanged();
}

void PageWindowPort::UnloadGameScreen() {
    if (OnUnload) OnUnload();
}

void PageWindowPort::SetBackground(Surface picture) {
    picture_ = std::move(picture);
    ReloadBackground();
}

void PageWindowPort::ReloadBackground() {
    shown_ = Surface();
    pressedShown_ = {false, false};
    PageAskBackgroundFrame();
}

void PageWindowPort::DrawButtonPressed(int index) {
    // The sprite lands on the same pixels every step: draw it once until the next reload.
    if (index < 0 || index > 1 || pressedShown_[index] || picture_.Empty()) return;
    const Surface* sprite = PressedButtonPicture(s_);
    if (sprite == nullptr) return;
    if (shown_.Empty()) shown_ = picture_;
    const Rect& button = s_.ButtonRects[index];
    BitBlt(shown_, button.Left, button.Top, sprite->Width(), sprite->Height(), *sprite, 0, 0,
           SRCCOPY);
    pressedShown_[index] = true;
    PageAskBackgroundFrame();
}

void PageWindowPort::RefreshField() {
    if (frameAsked_) return;
    frameAsked_ = true;
    PageAskFieldFrame();
}

void PageWindowPort::FlushField() {
    if (frameAsked_) ShowField();
}

void PageWindowPort::ShowField() {
    frameAsked_ = false;
    const Surface& field = s_.Field;
    if (field.Width() != kFieldWidth || field.Height() != kFieldHeight) return;
    const FieldTiles changed = shownField_.Changed(field, damage_.ToUpdate(field));
    shownField_.Take(field, changed);
    damage_.ShownWhole(field);
    fieldRgba_.resize(size_t{kFieldWidth} * kFieldHeight);
    fieldRects_.clear();
    for (const Rect& r : changed.Rects()) {
        for (int y = r.Top; y < r.Bottom; ++y) {
            const uint32_t* from = field.Row(y) + r.Left;
            uint32_t* to = fieldRgba_.data() + size_t{kFieldWidth} * y + r.Left;
            for (int x = 0; x < r.Right - r.Left; ++x) to[x] = Rgba(from[x]);
        }
        fieldRects_.insert(fieldRects_.end(), {r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top});
    }
    if (fieldRects_.empty()) return;
    PagePutField(fieldRgba_.data(), kFieldWidth, kFieldHeight, fieldRects_.data(),
                 static_cast<int>(fieldRects_.size() / 4));
}

void PageWindowPort::ShowBackground() {
    const Surface& surface = shown_.Empty() ? picture_ : shown_;
    if (surface.Empty()) return;
    const size_t count = static_cast<size_t>(surface.Width()) * surface.Height();
    rgba_.resize(count);
    const uint32_t* from = std::as_const(surface).Bits();
    for (size_t i = 0; i < count; ++i) rgba_[i] = Rgba(from[i]);
    PagePutBackground(rgba_.data(), surface.Width(), surface.Height());
}

void PageWindowPort::AppendPlayerLine(std::string_view name) {
    PageAppendPlayerLine(name.data(), static_cast<int>(name.size()));
}

void PageWindowPort::RemovePlayerLine(int index) {
    PageRemovePlayerLine(index);
}

}  // namespace ZapModule
