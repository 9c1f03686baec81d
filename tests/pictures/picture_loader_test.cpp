// SPDX-License-Identifier: GPL-3.0-or-later
// Picture files of any format Qt reads, made opaque, and the failures of reading and writing,
// without a display or an application object (png_codec_test checks that PNG files without an
// extension are read and written pixel for pixel).

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <fstream>
#include <string>

#include "pictures/picture_loader.h"
#include "tests/lib/test_files.h"

namespace ZapModule {
namespace {

class PictureLoaderTest : public ::testing::Test {
  protected:
    std::string PathOf(const std::string& name) const { return folder_ / name; }

  private:
    testing::TempFolder folder_;
};

TEST_F(PictureLoaderTest, PixelsAreOpaqueWhateverThePictureSays) {
    // Another format, with transparency: the surface's pixels still carry 0xFF on top.
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(0x12, 0x34, 0x56, 0xFF));
    image.setPixel(1, 0, qRgba(0x00, 0x00, 0x00, 0x00));
    const std::string path = PathOf("ko3");
    ASSERT_TRUE(image.save(QString::fromStdString(path), "BMP"));
    const auto loaded = LoadPicture(path);
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->Pixel(0, 0), 0xFF123456u);
    EXPECT_EQ(loaded->Pixel(1, 0) >> 24, 0xFFu);
}

TEST_F(PictureLoaderTest, FailuresAreReportedNotCrashed) {
    EXPECT_FALSE(LoadPicture(PathOf("missing")).has_value());
    const std::string junk = PathOf("junk");
    std::ofstream(junk) << "not a picture at all";
    EXPECT_FALSE(LoadPicture(junk).has_value());
    EXPECT_FALSE(LoadPicture(PathOf("")).has_value());  // a folder

    EXPECT_FALSE(SavePicturePng(Surface(), PathOf("empty")));
    EXPECT_FALSE(SavePicturePng(Surface(2, 2), PathOf("no-such-folder/frame")));
}

}  // namespace
}  // namespace ZapModule
