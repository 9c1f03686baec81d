// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/wayland_field_output.h"

#include <QGuiApplication>

#ifdef ZAPWALL_WAYLAND_FIELD_OUTPUT
#include <qpa/qplatformnativeinterface.h>
#include <qpa/qplatformwindow.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <QPlatformSurfaceEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>

#include "graphics/shown_field.h"
#endif

namespace ZapModule {

#ifdef ZAPWALL_WAYLAND_FIELD_OUTPUT
namespace {

// The compositor's globals the output uses, bound on its own queue.
struct Globals {
    wl_compositor* Compositor = nullptr;  // version 4: damage in buffer pixels
    wl_subcompositor* Subcompositor = nullptr;
    wl_shm* Shm = nullptr;
    bool Announced = false;  // every global the compositor had has been announced
};

const wl_registry_listener kRegistryListener{
    [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
        auto& g = *static_cast<Globals*>(data);
        if (g.Compositor == nullptr && std::strcmp(interface, wl_compositor_interface.name) == 0 &&
            version >= 4)
            g.Compositor = static_cast<wl_compositor*>(
                wl_registry_bind(registry, name, &wl_compositor_interface, 4));
        else if (g.Subcompositor == nullptr &&
                 std::strcmp(interface, wl_subcompositor_interface.name) == 0)
            g.Subcompositor = static_cast<wl_subcompositor*>(
                wl_registry_bind(registry, name, &wl_subcompositor_interface, 1));
        else if (g.Shm == nullptr && std::strcmp(interface, wl_shm_interface.name) == 0)
            g.Shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    },
    [](void*, wl_registry*, uint32_t) {}};

const wl_callback_listener kAnnouncedListener{
    [](void* data, wl_callback*, uint32_t) { static_cast<Globals*>(data)->Announced = true; }};

// One picture of the field the compositor can be handed.
struct FieldBuffer {
    wl_buffer* Handle = nullptr;
    uint32_t* Pixels = nullptr;
    bool Busy = false;  // the compositor holds it
    FieldTiles Stale;   // field tiles the buffer does not hold yet
};

const wl_buffer_listener kReleaseListener{
    [](void* data, wl_buffer*) { static_cast<FieldBuffer*>(data)->Busy = false; }};

class WaylandFieldOutput final : public QObject, public FieldOutput {
  public:
    WaylandFieldOutput(wl_display* display, QWidget* window)
        : display_(display), queue_(wl_display_create_queue(display)), window_(window) {
        // The registry and all that comes of it deliver their events to this queue.
        auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
        wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), queue_);
        registry_ = wl_display_get_registry(wrapper);
        wl_registry_add_listener(registry_, &kRegistryListener, &globals_);
        announced_ = wl_display_sync(wrapper);
        wl_callback_add_listener(announced_, &kAnnouncedListener, &globals_);
        wl_proxy_wrapper_destroy(wrapper);
        wl_display_flush(display_);
        // Qt destroys the window's wl_surface when it hides the window (after it says so) or
        // loses its platform window: the subsurface goes first.
        QWindow* handle = window_->windowHandle();
        connect(handle, &QWindow::visibleChanged, this, [this](bool visible) {
            if (!visible) DropSubsurface();
        });
        handle->installEventFilter(this);
        // A picture skipped while the compositor held both buffers is shown once one is free,
        // even when no step follows (the game paused).
        retry_.setSingleShot(true);
        retry_.setInterval(2);
        connect(&retry_, &QTimer::timeout, this, [this] {
            if (skipped_) Show(*skipped_->Field, skipped_->Origin, skipped_->Factor, FieldTiles());
        });
    }

    ~WaylandFieldOutput() override {
        DropSubsurface();
        DropBuffers();
        if (surface_ != nullptr) wl_surface_destroy(surface_);
        if (globals_.Shm != nullptr) wl_shm_destroy(globals_.Shm);
        if (globals_.Subcompositor != nullptr) wl_subcompositor_destroy(globals_.Subcompositor);
        if (globals_.Compositor != nullptr) wl_compositor_destroy(globals_.Compositor);
        if (announced_ != nullptr) wl_callback_destroy(announced_);
        wl_registry_destroy(registry_);
        wl_display_flush(display_);
        wl_event_queue_destroy(queue_);
    }

    bool Show(const Surface& field, QPoint origin, int factor,
              const FieldTiles& candidates) override {
        pending_ |= candidates;
        skipped_.reset();
        // Qt's thread reads the connection; the events it sorted into this queue are handled
        // here, without waiting for more.
        if (broken_ || wl_display_dispatch_queue_pending(display_, queue_) < 0) {
            broken_ = true;
            return false;
        }
        if (!globals_.Announced) return false;
        if (globals_.Compositor == nullptr || globals_.Subcompositor == nullptr ||
            globals_.Shm == nullptr)
            return false;
        QWindow* handle = window_->windowHandle();
        const QPlatformWindow* platform = handle != nullptr ? handle->handle() : nullptr;
        if (platform == nullptr) return false;
        // The compositor scales the window's surface by whole factors; Qt may scale it further.
        const int surfaceScale =
            std::max(1, static_cast<int>(std::lround(platform->devicePixelRatio())));
        if (factor % surfaceScale != 0 || !MakeBuffers(factor, surfaceScale) ||
            !MakeSubsurface(handle))
            return false;
        const int perLogical = factor / surfaceScale;     // surface pixels per logical pixel
        const QMargins frame = platform->frameMargins();  // Qt's title bar, when it draws one
        PlaceAt(QPoint(frame.left(), frame.top()) + origin * perLogical, origin);

        FieldBuffer* free = nullptr;
        for (FieldBuffer& b : buffers_)
            if (!b.Busy) free = &b;
        if (free == nullptr) {  // the compositor holds both: the changes wait
            skipped_ = Skipped{&field, origin, factor};
            retry_.start();
            return true;
        }
        const FieldTiles changed = shown_.Changed(field, pending_);
        pending_ = FieldTiles();
        if (changed.Empty() && attached_) return true;
        free->Stale |= changed;
        Write(field, *free, free->Stale);
        for (FieldBuffer& b : buffers_) {
            if (&b == free)
                b.Stale = FieldTiles();
            else
                b.Stale |= changed;
        }
        shown_.Take(field, changed);
        wl_surface_attach(surface_, free->Handle, 0, 0);
        for (const Rect& r : changed.Rects())
            wl_surface_damage_buffer(surface_, r.Left * factor, r.Top * factor,
                                     (r.Right - r.Left) * factor, (r.Bottom - r.Top) * factor);
        wl_surface_commit(surface_);
        free->Busy = true;
        attached_ = true;
        wl_display_flush(display_);
        return true;
    }

    void Forget() override {
        shown_.Forget();
        pending_ = FieldTiles();
    }

    void Withdraw() override {
        Forget();
        skipped_.reset();
        if (!attached_) return;
        // A surface without a buffer is not shown: what Qt paints beneath shows.
        wl_surface_attach(surface_, nullptr, 0, 0);
        wl_surface_commit(surface_);
        wl_display_flush(display_);
        attached_ = false;
    }

    // An attached subsurface is drawn above the window's surface.
    bool CoversQtCopy() const override { return attached_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::PlatformSurface &&
            static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() ==
                QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed)
            DropSubsurface();
        return QObject::eventFilter(watched, event);
    }

  private:
    // Buffers of the field at `factor` buffer pixels per field pixel, shown at `surfaceScale`
    // buffer pixels per surface pixel; false when no shared memory can be had.
    bool MakeBuffers(int factor, int surfaceScale) {
        if (mapped_ != nullptr && factor == factor_ && surfaceScale == surfaceScale_) return true;
        DropBuffers();
        const int width = kFieldWidth * factor, height = kFieldHeight * factor;
        const size_t bytes = size_t{4} * static_cast<size_t>(width) * static_cast<size_t>(height);
        const int fd = memfd_create("zapwall-field", MFD_CLOEXEC);
        if (fd < 0) return false;
        mappedBytes_ = bytes * buffers_.size();
        void* memory = ftruncate(fd, static_cast<off_t>(mappedBytes_)) == 0
                           ? mmap(nullptr, mappedBytes_, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                           : MAP_FAILED;
        if (memory == MAP_FAILED) {
            close(fd);
            return false;
        }
        mapped_ = memory;
        wl_shm_pool* pool =
            wl_shm_create_pool(globals_.Shm, fd, static_cast<int32_t>(mappedBytes_));
        close(fd);
        for (size_t i = 0; i < buffers_.size(); ++i) {
            FieldBuffer& b = buffers_[i];
            b.Handle = wl_shm_pool_create_buffer(pool, static_cast<int32_t>(i * bytes), width,
                                                 height, width * 4, WL_SHM_FORMAT_XRGB8888);
            wl_buffer_add_listener(b.Handle, &kReleaseListener, &b);
            b.Pixels = static_cast<uint32_t*>(mapped_) + i * bytes / 4;
            b.Busy = false;
            b.Stale = FieldTiles::All();
        }
        wl_shm_pool_destroy(pool);  // the buffers keep the memory
        factor_ = factor;
        surfaceScale_ = surfaceScale;
        shown_.Forget();
        if (surface_ != nullptr) SetUpSurface();
        return true;
    }

    void DropBuffers() {
        for (FieldBuffer& b : buffers_) {
            if (b.Handle != nullptr) wl_buffer_destroy(b.Handle);
            b = FieldBuffer{};
        }
        if (mapped_ != nullptr) munmap(mapped_, mappedBytes_);
        mapped_ = nullptr;
        attached_ = false;
    }

    // The subsurface over the window's current wl_surface; false when Qt gives none.
    bool MakeSubsurface(QWindow* handle) {
        if (subsurface_ != nullptr) return true;
        auto* parent = static_cast<wl_surface*>(
            QGuiApplication::platformNativeInterface()->nativeResourceForWindow("surface", handle));
        if (parent == nullptr) return false;
        if (surface_ == nullptr) {
            surface_ = wl_compositor_create_surface(globals_.Compositor);
            // Clicks on the field go to the window beneath.
            wl_region* none = wl_compositor_create_region(globals_.Compositor);
            wl_surface_set_input_region(surface_, none);
            wl_region_destroy(none);
            SetUpSurface();
        }
        subsurface_ = wl_subcompositor_get_subsurface(globals_.Subcompositor, surface_, parent);
        // Its pictures show when committed, not with the window's next commit.
        wl_subsurface_set_desync(subsurface_);
        shown_.Forget();
        return true;
    }

    // The surface's scale and its opaque region, for the current buffers.
    void SetUpSurface() {
        wl_surface_set_buffer_scale(surface_, surfaceScale_);
        wl_region* opaque = wl_compositor_create_region(globals_.Compositor);
        wl_region_add(opaque, 0, 0, kFieldWidth * factor_ / surfaceScale_,
                      kFieldHeight * factor_ / surfaceScale_);
        wl_surface_set_opaque_region(surface_, opaque);
        wl_region_destroy(opaque);
    }

    void DropSubsurface() {
        if (subsurface_ == nullptr) return;
        wl_subsurface_destroy(subsurface_);
        wl_display_flush(display_);
        subsurface_ = nullptr;
        placed_.reset();
        skipped_.reset();
        attached_ = false;
        shown_.Forget();
    }

    // Puts the subsurface at `position` (surface pixels of the window's wl_surface), the field's
    // `origin` in the window's logical pixels.
    void PlaceAt(QPoint position, QPoint origin) {
        if (placed_ == position) return;
        wl_subsurface_set_position(subsurface_, position.x(), position.y());
        placed_ = position;
        // A new subsurface and its position take effect when the window's surface is next
        // committed, which Qt does when it paints: it repaints one pixel under the field.
        window_->update(QRect(origin, QSize(1, 1)));
    }

    // Writes the field's pixels in `region` into `b`, each a block of factor_ x factor_.
    void Write(const Surface& field, FieldBuffer& b, const FieldTiles& tiles) const {
        const int stride = kFieldWidth * factor_;
        for (const Rect& r : tiles.Rects()) {
            const int width = r.Right - r.Left;
            for (int y = r.Top; y < r.Bottom; ++y) {
                const uint32_t* from = field.Row(y) + r.Left;
                uint32_t* to = b.Pixels + y * factor_ * stride + r.Left * factor_;
                if (factor_ == 1) {
                    std::copy_n(from, width, to);
                    continue;
                }
                for (int x = 0; x < width; ++x) std::fill_n(to + x * factor_, factor_, from[x]);
                for (int copy = 1; copy < factor_; ++copy)
                    std::copy_n(to, width * factor_, to + copy * stride);
            }
        }
    }

    wl_display* display_;
    wl_event_queue* queue_;
    QWidget* window_;  // the top-level widget
    wl_registry* registry_ = nullptr;
    wl_callback* announced_ = nullptr;
    Globals globals_;
    bool broken_ = false;

    wl_surface* surface_ = nullptr;
    wl_subsurface* subsurface_ = nullptr;
    std::optional<QPoint> placed_;
    bool attached_ = false;  // the surface has a buffer: the compositor shows it

    std::array<FieldBuffer, 2> buffers_;
    void* mapped_ = nullptr;
    size_t mappedBytes_ = 0;
    int factor_ = 0;
    int surfaceScale_ = 1;

    ShownField shown_;    // the picture last handed to the compositor
    FieldTiles pending_;  // where the field may differ from it

    struct Skipped {
        const Surface* Field;
        QPoint Origin;
        int Factor;
    };
    std::optional<Skipped> skipped_;  // the picture that waits for a free buffer
    QTimer retry_;
};

}  // namespace

std::unique_ptr<FieldOutput> OpenWaylandFieldOutput(QWidget* window) {
    if (QGuiApplication::platformName() != QLatin1String("wayland") ||
        window->windowHandle() == nullptr)
        return nullptr;
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    if (native == nullptr ||
        native->nativeResourceForWindow("surface", window->windowHandle()) == nullptr)
        return nullptr;
    auto* display = static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"));
    if (display == nullptr) return nullptr;
    return std::make_unique<WaylandFieldOutput>(display, window);
}

#else

std::unique_ptr<FieldOutput> OpenWaylandFieldOutput(QWidget*) {
    return nullptr;
}

#endif

}  // namespace ZapModule
