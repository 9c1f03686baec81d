// SPDX-License-Identifier: GPL-3.0-or-later
// Picture files of any format Qt reads, made opaque, and the failures of reading and writing,
// without a display or an application object (png_codec_test checks that PNG files without an
// extension are read and written pixel for pixel).

#include <gtest/gtest.h>

#include <unistd.h>
#include <QColor>
#include <QImage>

#include <filesystem>
#include <fstream>
#include <string>

#include "graphics/picture_loader.h"

namespace ZapModule {
namespace {

class PictureLoaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // One folder per process and test, so parallel runs never share files.
        dir_ = std::filesystem::path(testing::TempDir()) /
               ("zapwall-pictures-" + std::to_string(::getpid()) + "-" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

  private:
    std::filesystem::path dir_;
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
