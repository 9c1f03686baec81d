// SPDX-License-Identifier: GPL-3.0-or-later
// The plain-C++ PNG codec of the browser edition: it reads every picture of the game's data
// folder exactly as the desktop's Qt loader does, reads back what it writes, and refuses damaged
// or foreign files with a reason, never reading past their end.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "graphics/png_codec.h"
#include "pictures/picture_loader.h"
#include "tests/lib/test_files.h"

namespace ZapModule {
namespace {

// The file is refused with a reason, which is left in `problem`.
bool Refused(const std::vector<uint8_t>& file, std::string& problem) {
    problem.clear();
    return !DecodePng(file, &problem) && !problem.empty();
}

Surface Gradient(int32_t width, int32_t height) {
    Surface s(width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            s.SetPixel(x, y,
                       kOpaqueBlack | static_cast<uint32_t>(x * 7 % 256) << 16 |
                           static_cast<uint32_t>(y * 13 % 256) << 8 |
                           static_cast<uint32_t>((x ^ y) & 0xFF));
    return s;
}

// Every picture the asset generator drew decodes to the Qt loader's pixels, and the codec's own
// file of it decodes to the same pixels again.
TEST(PngCodecTest, DataFolderPicturesDecodeAsQtDoesAndRoundTrip) {
    const std::filesystem::path pictures = std::filesystem::path(ZAPWALL_DATA_DIR) / "pictures";
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(pictures)) {
        SCOPED_TRACE(entry.path().string());
        std::string problem;
        const std::optional<Surface> qt = LoadPicture(entry.path().string(), &problem);
        ASSERT_TRUE(qt) << problem;
        const std::optional<Surface> ours = DecodePng(testing::ReadBytes(entry.path()), &problem);
        ASSERT_TRUE(ours) << problem;
        EXPECT_TRUE(*qt == *ours);
        const std::optional<Surface> again = DecodePng(EncodePng(*ours), &problem);
        ASSERT_TRUE(again) << problem;
        EXPECT_TRUE(*ours == *again);
        ++count;
    }
    EXPECT_EQ(count, 14);  // gui and ko1 … ko13
}

// Qt reads what the codec writes, including a picture larger than one stored block, and the
// codec reads what Qt writes for a surface (zapwall-sim's --frame on the desktop).
TEST(PngCodecTest, QtAndTheCodecReadEachOthersFiles) {
    const Surface picture = Gradient(300, 250);  // 225 250 bytes of rows: four stored blocks
    const testing::TempFolder folder;
    const std::string path = folder / "picture";
    testing::WriteBytes(path, EncodePng(picture));
    std::string problem;
    const std::optional<Surface> byQt = LoadPicture(path, &problem);
    ASSERT_TRUE(byQt) << problem;
    EXPECT_TRUE(picture == *byQt);

    ASSERT_TRUE(SavePicturePng(picture, path));
    const std::optional<Surface> ours = DecodePng(testing::ReadBytes(path), &problem);
    ASSERT_TRUE(ours) << problem;
    EXPECT_TRUE(picture == *ours);
    EXPECT_TRUE(EncodePng(Surface()).empty());
}

// A PNG file put together chunk by chunk, with correct checksums, so that the reader judges the
// contents themselves.
class PngBuilder {
  public:
    PngBuilder() : bytes_{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'} {}

    PngBuilder& Header(uint32_t width, uint32_t height, uint8_t colourType) {
        std::vector<uint8_t> data;
        Put32(data, width);
        Put32(data, height);
        data.insert(data.end(), {8, colourType, 0, 0, 0});
        return Chunk("IHDR", data);
    }
    // The rows (each with its filter byte) in one stored deflate block.
    PngBuilder& StoredRows(const std::vector<uint8_t>& rows) {
        std::vector<uint8_t> data = {0x78, 0x01, 0x01};
        const auto length = static_cast<uint16_t>(rows.size());
        data.insert(data.end(),
                    {static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8),
                     static_cast<uint8_t>(~length), static_cast<uint8_t>(~length >> 8)});
        data.insert(data.end(), rows.begin(), rows.end());
        uint32_t a = 1, b = 0;
        for (uint8_t byte : rows) a = (a + byte) % 65521, b = (b + a) % 65521;
        Put32(data, b << 16 | a);
        return Chunk("IDAT", data);
    }
    PngBuilder& Chunk(const std::string& type, const std::vector<uint8_t>& data) {
        Put32(bytes_, static_cast<uint32_t>(data.size()));
        const size_t start = bytes_.size();
        bytes_.insert(bytes_.end(), type.begin(), type.end());
        bytes_.insert(bytes_.end(), data.begin(), data.end());
        uint32_t crc = 0xFFFFFFFFu;
        for (size_t i = start; i < bytes_.size(); ++i) {
            crc ^= bytes_[i];
            for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
        }
        Put32(bytes_, crc ^ 0xFFFFFFFFu);
        return *this;
    }
    std::vector<uint8_t> End() {
        Chunk("IEND", {});
        return bytes_;
    }

  private:
    static void Put32(std::vector<uint8_t>& out, uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out.push_back(static_cast<uint8_t>(v >> shift));
    }
    std::vector<uint8_t> bytes_;
};

// Every cut of a file and every damaged byte is refused (the chunks' checksums see each), and
// nothing is read beyond the file (the unit tests also run under AddressSanitizer).
TEST(PngCodecTest, TruncatedOrDamagedFilesAreRefused) {
    const std::vector<uint8_t> good =
        testing::ReadBytes(std::filesystem::path(ZAPWALL_DATA_DIR) / "pictures" / "ko10");
    std::string problem;
    for (size_t length = 0; length < good.size(); ++length) {
        const std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<ptrdiff_t>(length));
        EXPECT_TRUE(Refused(cut, problem)) << length;
    }
    for (size_t at = 0; at < good.size(); ++at) {
        std::vector<uint8_t> damaged = good;
        damaged[at] ^= 0x10;
        EXPECT_TRUE(Refused(damaged, problem)) << at;
    }
    // Damage inside the compressed data (Huffman-coded, as Qt writes it), its chunk's checksum
    // made right again: the inflater itself, or the data's own checksum, must find it.
    const std::string idatName = "IDAT";
    const auto idat = std::search(good.begin(), good.end(), idatName.begin(), idatName.end());
    ASSERT_NE(idat, good.end());
    const size_t idatLength =
        size_t{idat[-4]} << 24 | size_t{idat[-3]} << 16 | size_t{idat[-2]} << 8 | idat[-1];
    const std::vector<uint8_t> compressed(idat + 4, idat + 4 + static_cast<ptrdiff_t>(idatLength));
    for (size_t at = 0; at < compressed.size(); ++at) {
        std::vector<uint8_t> damaged = compressed;
        damaged[at] ^= 0x21;
        EXPECT_TRUE(Refused(PngBuilder().Header(144, 44, 2).Chunk("IDAT", damaged).End(), problem))
            << at;
    }
}

// Files the game never ships: another format, another kind of PNG, a header that claims more
// pixels than the size rule allows, an unknown critical chunk, data that is too short, too long
// or random — each refused with a reason in Czech.
TEST(PngCodecTest, ForeignFilesAreRefusedWithAReason) {
    const std::vector<uint8_t> onePixel = {0, 10, 20, 30};  // filter 0, then R, G, B
    std::string problem;
    const std::optional<Surface> whole =
        DecodePng(PngBuilder().Header(1, 1, 2).StoredRows(onePixel).End(), &problem);
    ASSERT_TRUE(whole) << problem;
    EXPECT_EQ(whole->Pixel(0, 0), 0xFF0A141Eu);

    const std::string bmp = "BM this is no PNG";
    EXPECT_TRUE(Refused(std::vector<uint8_t>(bmp.begin(), bmp.end()), problem));
    EXPECT_EQ(problem, "není to obrázek PNG");
    for (const auto& [file, reason] : {
             std::pair{PngBuilder().Header(1, 1, 6).StoredRows(onePixel).End(), "jen 8bitové RGB"},
             {PngBuilder().Header(40000, 1, 2).StoredRows(onePixel).End(), "příliš velký"},
             {PngBuilder().Header(1, 1, 2).Chunk("ZZZZ", {}).StoredRows(onePixel).End(), "ZZZZ"},
             {PngBuilder().Header(2, 1, 2).StoredRows(onePixel).End(), "zkrácená"},
             {PngBuilder().Header(1, 1, 2).StoredRows({0, 1, 2, 3, 4}).End(), "delší"},
             {PngBuilder().Header(1, 1, 2).StoredRows({9, 1, 2, 3}).End(), "filtr"},
         }) {
        EXPECT_TRUE(Refused(file, problem)) << reason;
        EXPECT_NE(problem.find(reason), std::string::npos) << problem;
    }

    // Random deflate data after a valid zlib header: never read, never accepted.
    std::mt19937 random(7);
    for (int round = 0; round < 500; ++round) {
        std::vector<uint8_t> data = {0x78, 0x01};
        for (size_t n = random() % 64; n > 0; --n) data.push_back(static_cast<uint8_t>(random()));
        EXPECT_TRUE(Refused(PngBuilder().Header(3, 2, 2).Chunk("IDAT", data).End(), problem))
            << round;
    }
}

}  // namespace
}  // namespace ZapModule
