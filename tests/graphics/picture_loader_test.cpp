// Picture files read by their content (they carry no extension) and written as PNG, without a
// display or an application object.

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

TEST_F(PictureLoaderTest, PngWrittenWithoutExtensionReadsBackPixelForPixel) {
    Surface picture(7, 5);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 7; ++x)
            picture.SetPixel(x, y,
                             0xFF000000u | static_cast<uint32_t>(x * 36) << 16 |
                                 static_cast<uint32_t>(y * 50) << 8 | 0x5Au);
    const std::string path = PathOf("ko7");
    ASSERT_TRUE(SavePicturePng(picture, path));

    std::ifstream file(path, std::ios::binary);
    char signature[4] = {};
    file.read(signature, 4);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG");

    const auto loaded = LoadPicture(path);
    ASSERT_TRUE(loaded.has_value());
    ASSERT_EQ(loaded->Width(), 7);
    ASSERT_EQ(loaded->Height(), 5);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 7; ++x)
            EXPECT_EQ(loaded->Pixel(x, y), picture.Pixel(x, y)) << x << "," << y;
}

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
