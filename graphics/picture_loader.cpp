#include "graphics/picture_loader.h"

#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QString>

#include <cstdint>

namespace ZapModule {

std::optional<Surface> LoadPicture(const std::string& path) {
    QImageReader reader(QString::fromStdString(path));
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read().convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) return std::nullopt;
    Surface surface(image.width(), image.height());
    if (surface.Empty()) return std::nullopt;
    for (int32_t y = 0; y < surface.Height(); ++y) {
        const auto* source = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
        uint32_t* row = surface.Row(y);
        // RGB32 leaves the top byte undefined; a surface's pixels are always opaque.
        for (int32_t x = 0; x < surface.Width(); ++x) row[x] = source[x] | kOpaqueBlack;
    }
    return surface;
}

bool SavePicturePng(const Surface& surface, const std::string& path) {
    if (surface.Empty()) return false;
    const QImage image(reinterpret_cast<const uchar*>(surface.Bits()), surface.Width(),
                       surface.Height(), static_cast<qsizetype>(surface.Width()) * 4,
                       QImage::Format_RGB32);
    QImageWriter writer(QString::fromStdString(path), "png");
    return writer.write(image);
}

}  // namespace ZapModule
