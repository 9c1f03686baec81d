// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/x11_field_output.h"

#include <QGuiApplication>

// Qt reaches X11 displays through xcb when it was built for them.
#if defined(ZAPWALL_XCB) && QT_CONFIG(xcb)
#define ZAPWALL_X11_FIELD_OUTPUT_BUILT
#include <xcb/xcb.h>

#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "graphics/shown_field.h"
#endif

namespace ZapModule {

#ifdef ZAPWALL_X11_FIELD_OUTPUT_BUILT
namespace {

struct FreeWithFree {
    void operator()(void* p) const { std::free(p); }
};
// The replies xcb hands over are released with free().
template <typename T>
using XcbOwned = std::unique_ptr<T, FreeWithFree>;

// The window's depth when its pixels are 32-bit little-endian 0x??RRGGBB, the field's own;
// 0 otherwise.
uint8_t FieldPixelDepth(xcb_connection_t* c, xcb_window_t window) {
    const XcbOwned<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    const XcbOwned<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    if (!geometry || !attributes) return 0;
    const xcb_setup_t* setup = xcb_get_setup(c);
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) return 0;
    bool fourBytes = false;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        if (f.data->depth == geometry->depth) fourBytes = f.data->bits_per_pixel == 32;
    if (!fourBytes) return 0;
    for (auto s = xcb_setup_roots_iterator(setup); s.rem; xcb_screen_next(&s))
        for (auto d = xcb_screen_allowed_depths_iterator(s.data); d.rem; xcb_depth_next(&d))
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
                if (v.data->visual_id == attributes->visual)
                    return v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR &&
                                   v.data->red_mask == 0xFF0000 && v.data->green_mask == 0xFF00 &&
                                   v.data->blue_mask == 0xFF
                               ? geometry->depth
                               : 0;
    return 0;
}

class X11FieldOutput final : public FieldOutput {
  public:
    X11FieldOutput(xcb_connection_t* c, xcb_window_t window, uint8_t depth)
        : c_(c), window_(window), depth_(depth), gc_(xcb_generate_id(c)) {
        const uint32_t noExposures = 0;
        xcb_create_gc(c_, gc_, window_, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
        // The longest put that fits in one request, in rows of the whole field.
        const uint64_t requestBytes = uint64_t{xcb_get_maximum_request_length(c_)} * 4;
        rowsPerPut_ = static_cast<int>(std::clamp<uint64_t>(
            (requestBytes - sizeof(xcb_put_image_request_t)) / (uint64_t{kFieldWidth} * 4), 1,
            kFieldHeight));
    }
    ~X11FieldOutput() override { xcb_free_gc(c_, gc_); }

    bool Show(const Surface& field, QPoint origin, int factor,
              const FieldTiles& candidates) override {
        if (factor != 1) return false;
        const FieldTiles changed = shown_.Changed(field, candidates);
        shown_.Take(field, changed);
        for (const Rect& r : changed.Rects()) {
            for (int top = r.Top; top < r.Bottom; top += rowsPerPut_)
                Put(field,
                    QRect(r.Left, top, r.Right - r.Left, std::min(rowsPerPut_, r.Bottom - top)),
                    origin);
        }
        if (!changed.Empty()) xcb_flush(c_);
        return true;
    }

    void Forget() override { shown_.Forget(); }
    // What Qt paints over the field lands on the window's own pixels.
    void Withdraw() override { shown_.Forget(); }

  private:
    // Puts the rectangle `r` of the field into the window.
    void Put(const Surface& field, const QRect& r, QPoint origin) {
        packed_.resize(static_cast<size_t>(r.width()) * r.height());
        uint32_t* out = packed_.data();
        for (int y = r.top(); y <= r.bottom(); ++y, out += r.width())
            std::copy_n(field.Row(y) + r.left(), r.width(), out);
        xcb_put_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_, static_cast<uint16_t>(r.width()),
                      static_cast<uint16_t>(r.height()), static_cast<int16_t>(origin.x() + r.x()),
                      static_cast<int16_t>(origin.y() + r.y()), 0, depth_,
                      static_cast<uint32_t>(packed_.size() * 4),
                      reinterpret_cast<const uint8_t*>(packed_.data()));
    }

    xcb_connection_t* c_;
    xcb_window_t window_;
    uint8_t depth_;
    xcb_gcontext_t gc_;
    int rowsPerPut_;
    ShownField shown_;              // the field as the window shows it
    std::vector<uint32_t> packed_;  // the rows of one put, one after the other
};

}  // namespace

std::unique_ptr<FieldOutput> OpenX11FieldOutput(QWidget* window) {
    // Other platforms (offscreen among them) may answer for X11 without a connection.
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (QGuiApplication::platformName() != QLatin1String("xcb") || x11 == nullptr ||
        x11->connection() == nullptr || window->windowHandle() == nullptr)
        return nullptr;
    const auto id = static_cast<xcb_window_t>(window->windowHandle()->winId());
    const uint8_t depth = FieldPixelDepth(x11->connection(), id);
    if (depth == 0) return nullptr;
    return std::make_unique<X11FieldOutput>(x11->connection(), id, depth);
}

#else

std::unique_ptr<FieldOutput> OpenX11FieldOutput(QWidget*) {
    return nullptr;
}

#endif

}  // namespace ZapModule
