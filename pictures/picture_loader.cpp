// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/picture_loader.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QString>

#include <cstdint>

#include "graphics/sprites.h"
#include "platform/file_reading.h"
#include "storage/file_problems.h"
#include "values/data_limits.h"

namespace ZapModule {

std::optional<Surface> LoadPicture(const std::string& path, std::string* problem) {
    const auto fail = [&](std::string why) -> std::optional<Surface> {
        if (problem != nullptr) *problem = std::move(why);
        return std::nullopt;
    };
    FileRead file = ReadRegularFile(path, kMaxPictureFileBytes);
    if (!file.Ok()) return fail(DescribeReadFailure(file));
    QByteArray data(reinterpret_cast<const char*>(file.Bytes.data()),
                    static_cast<qsizetype>(file.Bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    // A PNG (every picture the game ships) goes straight to Qt's own decoder: a file of unknown
    // format is offered to every image plugin first, which loads them all.
    static constexpr char kPngSignature[] = "\x89PNG\r\n\x1a\n";
    if (data.startsWith(QByteArray::fromRawData(kPngSignature, 8))) {
        reader.setDecideFormatFromContent(false);
        reader.setFormat("png");
    }
    // The header's size decides before a single pixel is decoded.
    if (const QSize size = reader.size(); size.isValid()) {
        if (std::string why = PictureSizeProblem(size.width(), size.height()); !why.empty())
            return fail(why);
    }
    const QImage image = reader.read().convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) return fail("není to obrázek, který lze načíst");
    if (std::string why = PictureSizeProblem(image.width(), image.height()); !why.empty())
        return fail(why);
    Surface surface(image.width(), image.height());
    if (surface.Empty()) return fail("obrázek je prázdný");
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
