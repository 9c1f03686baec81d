// SPDX-License-Identifier: GPL-3.0-or-later
#include "graphics/png_codec.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string_view>

#include "graphics/sprites.h"
#include "platform/file_reading.h"
#include "storage/file_problems.h"
#include "values/data_limits.h"

namespace ZapModule {
namespace {

constexpr std::array<uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr int kBytesPerPixel = 3;  // 8-bit RGB

const std::string kDamaged = "obrázek PNG je poškozený: ";

uint32_t ReadBigEndian32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

void AppendBigEndian32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

uint32_t Crc32(std::span<const uint8_t> bytes) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (uint8_t b : bytes) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

uint32_t Adler32(std::span<const uint8_t> bytes) {
    constexpr uint32_t kModulus = 65521;
    // The most bytes whose sums cannot pass 32 bits before they are reduced.
    constexpr size_t kRun = 5552;
    uint32_t a = 1, b = 0;
    for (size_t start = 0; start < bytes.size(); start += kRun) {
        for (uint8_t byte : bytes.subspan(start, std::min(kRun, bytes.size() - start))) {
            a += byte;
            b += a;
        }
        a %= kModulus;
        b %= kModulus;
    }
    return b << 16 | a;
}

// The deflate stream's bits, least significant first; reading past the end fails.
class BitReader {
  public:
    explicit BitReader(std::span<const uint8_t> in) : in_(in) {}

    bool Bits(int count, uint32_t& value) {
        value = Peek(count);
        if (held_ < count) return false;
        Take(count);
        return true;
    }
    // The next `count` bits without taking them, as many of them as the input still has
    // (Held() says how many): the bits past its end read as zeros.
    uint32_t Peek(int count) {
        while (held_ < count && next_ < in_.size()) {
            buffer_ |= uint32_t{in_[next_++]} << held_;
            held_ += 8;
        }
        return buffer_ & ((uint32_t{1} << count) - 1);
    }
    int Held() const { return held_; }
    void Take(int count) {
        buffer_ >>= count;
        held_ -= count;
    }
    // Drops the bits left of the current byte, for a stored block.
    void ToByte() {
        buffer_ = 0;
        held_ = 0;
    }
    void Skip(size_t bytes) { next_ += bytes; }
    std::span<const uint8_t> Rest() const { return in_.subspan(next_); }

  private:
    std::span<const uint8_t> in_;
    size_t next_ = 0;
    uint32_t buffer_ = 0;
    int held_ = 0;
};

constexpr int kMaxCodeBits = 15;
// Codes of up to this many bits are found with one look in a table; most of a picture's are.
constexpr int kLookupBits = 9;
constexpr int kLengthBits = 4;  // a table entry: symbol << kLengthBits | the code's length

// A canonical Huffman code: how many codes each length has, the symbols by code, and for every
// kLookupBits bits of input that start with a short code, that code's symbol and length (0
// where the input starts with a longer code or none).
struct Huffman {
    std::array<uint16_t, kMaxCodeBits + 1> Count{};
    std::vector<uint16_t> Symbol;
    std::array<uint16_t, 1 << kLookupBits> Lookup{};
};

// False for lengths that give more codes than bits allow. An incomplete code is accepted; a
// stream that uses one of its missing codes fails when it is read.
bool BuildHuffman(Huffman& h, std::span<const uint8_t> lengths) {
    h.Count.fill(0);
    for (uint8_t length : lengths) ++h.Count[length];
    int left = 1;
    for (int length = 1; length <= kMaxCodeBits; ++length) {
        left = left * 2 - h.Count[length];
        if (left < 0) return false;
    }
    std::array<uint16_t, kMaxCodeBits + 2> offset{};
    // The first code of each length: codes are handed out by length, then by symbol.
    std::array<uint32_t, kMaxCodeBits + 1> nextCode{};
    for (int length = 1; length <= kMaxCodeBits; ++length) {
        offset[length + 1] = static_cast<uint16_t>(offset[length] + h.Count[length]);
        if (length > 1) nextCode[length] = (nextCode[length - 1] + h.Count[length - 1]) << 1;
    }
    h.Symbol.assign(lengths.size(), 0);
    h.Lookup.fill(0);
    for (size_t symbol = 0; symbol < lengths.size(); ++symbol) {
        const int length = lengths[symbol];
        if (length == 0) continue;
        h.Symbol[offset[length]++] = static_cast<uint16_t>(symbol);
        const uint32_t code = nextCode[length]++;
        if (length > kLookupBits) continue;
        // The stream holds a code's first bit first, so the table is indexed by its bits
        // reversed, with every value of the bits that follow it.
        uint32_t reversed = 0;
        for (int bit = 0; bit < length; ++bit) reversed |= (code >> bit & 1) << (length - 1 - bit);
        for (uint32_t index = reversed; index < h.Lookup.size(); index += uint32_t{1} << length)
            h.Lookup[index] = static_cast<uint16_t>(symbol << kLengthBits | length);
    }
    return true;
}

// The next symbol, or -1 when the input ends or the code is not one of h's.
int DecodeSymbol(BitReader& in, const Huffman& h) {
    const uint16_t entry = h.Lookup[in.Peek(kLookupBits)];
    const int shortLength = entry & ((1 << kLengthBits) - 1);
    if (shortLength != 0 && shortLength <= in.Held()) {
        in.Take(shortLength);
        return entry >> kLengthBits;
    }
    // A longer code, or the input's last bits: one bit at a time.
    int code = 0, first = 0, index = 0;
    for (int length = 1; length <= kMaxCodeBits; ++length) {
        uint32_t bit = 0;
        if (!in.Bits(1, bit)) return -1;
        code |= static_cast<int>(bit);
        const int count = h.Count[length];
        if (code - first < count) return h.Symbol[index + code - first];
        index += count;
        first = (first + count) << 1;
        code <<= 1;
    }
    return -1;
}

constexpr std::array<uint16_t, 29> kLengthBase = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                  15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                  67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<uint16_t, 30> kDistanceBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<uint8_t, 30> kDistanceExtra = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                    4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                    9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// The inflated bytes: a buffer of the picture's size, filled from its start.
struct Inflated {
    std::vector<uint8_t>& Bytes;
    size_t Filled = 0;

    size_t Room() const { return Bytes.size() - Filled; }
};

// Decodes one Huffman-coded block into out, which it never fills beyond its size.
std::string InflateCodes(BitReader& in, const Huffman& literals, const Huffman& distances,
                         Inflated& out) {
    for (;;) {
        const int symbol = DecodeSymbol(in, literals);
        if (symbol < 0) return "data obrázku jsou zkrácená nebo poškozená";
        if (symbol < 256) {
            if (out.Room() == 0) return "data obrázku jsou delší než obrázek";
            out.Bytes[out.Filled++] = static_cast<uint8_t>(symbol);
            continue;
        }
        if (symbol == 256) return {};
        const size_t lengthCode = static_cast<size_t>(symbol - 257);
        if (lengthCode >= kLengthBase.size()) return "data obrázku jsou poškozená";
        uint32_t extra = 0;
        if (!in.Bits(kLengthExtra[lengthCode], extra)) return "data obrázku jsou zkrácená";
        const size_t length = kLengthBase[lengthCode] + extra;
        const int distanceCode = DecodeSymbol(in, distances);
        if (distanceCode < 0 || static_cast<size_t>(distanceCode) >= kDistanceBase.size())
            return "data obrázku jsou zkrácená nebo poškozená";
        if (!in.Bits(kDistanceExtra[distanceCode], extra)) return "data obrázku jsou zkrácená";
        const size_t distance = kDistanceBase[distanceCode] + extra;
        if (distance > out.Filled) return "data obrázku odkazují před svůj začátek";
        if (length > out.Room()) return "data obrázku jsou delší než obrázek";
        // Byte by byte: a copy may overlap what it writes, repeating its bytes.
        uint8_t* to = out.Bytes.data() + out.Filled;
        for (size_t i = 0; i < length; ++i) to[i] = to[i - distance];
        out.Filled += length;
    }
}

// The code lengths of a dynamic block's two codes, themselves Huffman-coded.
std::string ReadDynamicCodes(BitReader& in, Huffman& literals, Huffman& distances) {
    uint32_t literalCount = 0, distanceCount = 0, lengthCount = 0;
    if (!in.Bits(5, literalCount) || !in.Bits(5, distanceCount) || !in.Bits(4, lengthCount))
        return "data obrázku jsou zkrácená";
    literalCount += 257;
    distanceCount += 1;
    lengthCount += 4;
    if (literalCount > 286 || distanceCount > 30) return "data obrázku jsou poškozená";
    static constexpr std::array<uint8_t, 19> kOrder = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                       11, 4,  12, 3, 13, 2, 14, 1, 15};
    std::array<uint8_t, 19> codeLengths{};
    for (uint32_t i = 0; i < lengthCount; ++i) {
        uint32_t length = 0;
        if (!in.Bits(3, length)) return "data obrázku jsou zkrácená";
        codeLengths[kOrder[i]] = static_cast<uint8_t>(length);
    }
    Huffman lengthCode;
    if (!BuildHuffman(lengthCode, codeLengths)) return "data obrázku jsou poškozená";
    std::array<uint8_t, 286 + 30> lengths{};
    const uint32_t total = literalCount + distanceCount;
    for (uint32_t i = 0; i < total;) {
        const int symbol = DecodeSymbol(in, lengthCode);
        if (symbol < 0) return "data obrázku jsou zkrácená nebo poškozená";
        if (symbol < 16) {
            lengths[i++] = static_cast<uint8_t>(symbol);
            continue;
        }
        uint8_t repeated = 0;
        uint32_t times = 0;
        if (symbol == 16) {
            if (i == 0) return "data obrázku jsou poškozená";
            repeated = lengths[i - 1];
            if (!in.Bits(2, times)) return "data obrázku jsou zkrácená";
            times += 3;
        } else if (!in.Bits(symbol == 17 ? 3 : 7, times)) {
            return "data obrázku jsou zkrácená";
        } else {
            times += symbol == 17 ? 3 : 11;
        }
        if (times > total - i) return "data obrázku jsou poškozená";
        for (; times > 0; --times) lengths[i++] = repeated;
    }
    if (lengths[256] == 0) return "data obrázku jsou poškozená";  // no end of block
    const std::span<const uint8_t> all(lengths.data(), total);
    if (!BuildHuffman(literals, all.first(literalCount)) ||
        !BuildHuffman(distances, all.subspan(literalCount)))
        return "data obrázku jsou poškozená";
    return {};
}

// The zlib stream `in` inflated into exactly `size` bytes, its checksum checked.
std::string Inflate(std::span<const uint8_t> in, size_t size, std::vector<uint8_t>& out) {
    if (in.size() < 2) return "data obrázku jsou zkrácená";
    const bool deflate = (in[0] & 0x0F) == 8 && (in[0] >> 4) <= 7;
    if (!deflate || (in[0] << 8 | in[1]) % 31 != 0 || (in[1] & 0x20) != 0)
        return "data obrázku nejsou ve známém tvaru";
    BitReader bits(in.subspan(2));
    out.assign(size, 0);
    Inflated inflated{out};
    for (uint32_t last = 0; last == 0;) {
        uint32_t type = 0;
        if (!bits.Bits(1, last) || !bits.Bits(2, type)) return "data obrázku jsou zkrácená";
        std::string problem;
        if (type == 0) {
            bits.ToByte();
            const std::span<const uint8_t> rest = bits.Rest();
            if (rest.size() < 4) return "data obrázku jsou zkrácená";
            const size_t length = rest[0] | rest[1] << 8;
            if (static_cast<size_t>(rest[2] | rest[3] << 8) != (length ^ 0xFFFF))
                return "data obrázku jsou poškozená";
            if (rest.size() - 4 < length) return "data obrázku jsou zkrácená";
            if (length > inflated.Room()) return "data obrázku jsou delší než obrázek";
            std::copy_n(rest.begin() + 4, length,
                        out.begin() + static_cast<ptrdiff_t>(inflated.Filled));
            inflated.Filled += length;
            bits.Skip(4 + length);
        } else if (type == 1) {
            static const std::pair<Huffman, Huffman> fixed = [] {
                std::array<uint8_t, 288> literalLengths{};
                std::fill(literalLengths.begin(), literalLengths.begin() + 144, 8);
                std::fill(literalLengths.begin() + 144, literalLengths.begin() + 256, 9);
                std::fill(literalLengths.begin() + 256, literalLengths.begin() + 280, 7);
                std::fill(literalLengths.begin() + 280, literalLengths.end(), 8);
                std::array<uint8_t, 30> distanceLengths{};
                distanceLengths.fill(5);
                std::pair<Huffman, Huffman> codes;
                BuildHuffman(codes.first, literalLengths);
                BuildHuffman(codes.second, distanceLengths);
                return codes;
            }();
            problem = InflateCodes(bits, fixed.first, fixed.second, inflated);
        } else if (type == 2) {
            Huffman literals, distances;
            problem = ReadDynamicCodes(bits, literals, distances);
            if (problem.empty()) problem = InflateCodes(bits, literals, distances, inflated);
        } else {
            return "data obrázku jsou poškozená";
        }
        if (!problem.empty()) return problem;
    }
    if (inflated.Filled != size) return "data obrázku jsou zkrácená";
    bits.ToByte();
    const std::span<const uint8_t> rest = bits.Rest();
    if (rest.size() < 4) return "data obrázku jsou zkrácená";
    if (ReadBigEndian32(rest.data()) != Adler32(out)) return "kontrolní součet dat nesouhlasí";
    return {};
}

uint8_t Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return static_cast<uint8_t>(a);
    return static_cast<uint8_t>(pb <= pc ? b : c);
}

// Undoes each row's filter in place; false for an unknown filter. The row above the first is
// zeros, as are the bytes left of a row's first pixel.
bool Unfilter(std::vector<uint8_t>& data, size_t rowBytes, int32_t height) {
    const size_t stride = rowBytes + 1;
    const std::vector<uint8_t> zeros(rowBytes, 0);
    constexpr size_t kLeft = kBytesPerPixel;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = data.data() + static_cast<size_t>(y) * stride + 1;
        const uint8_t* above = y > 0 ? row - stride : zeros.data();
        switch (row[-1]) {
            case 0:
                break;
            case 1:
                for (size_t i = kLeft; i < rowBytes; ++i) row[i] += row[i - kLeft];
                break;
            case 2:
                for (size_t i = 0; i < rowBytes; ++i) row[i] += above[i];
                break;
            case 3:
                for (size_t i = 0; i < kLeft && i < rowBytes; ++i) row[i] += above[i] / 2;
                for (size_t i = kLeft; i < rowBytes; ++i)
                    row[i] += static_cast<uint8_t>((row[i - kLeft] + above[i]) / 2);
                break;
            case 4:
                for (size_t i = 0; i < kLeft && i < rowBytes; ++i) row[i] += above[i];
                for (size_t i = kLeft; i < rowBytes; ++i)
                    row[i] += Paeth(row[i - kLeft], above[i], above[i - kLeft]);
                break;
            default:
                return false;
        }
    }
    return true;
}

void AppendChunk(std::vector<uint8_t>& out, std::string_view type, std::span<const uint8_t> data) {
    AppendBigEndian32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    AppendBigEndian32(out, Crc32(std::span<const uint8_t>(out).subspan(start)));
}

}  // namespace

std::optional<Surface> DecodePng(std::span<const uint8_t> png, std::string* problem) {
    const auto fail = [&](std::string why) -> std::optional<Surface> {
        if (problem != nullptr) *problem = std::move(why);
        return std::nullopt;
    };
    if (png.size() < kSignature.size() ||
        !std::equal(kSignature.begin(), kSignature.end(), png.begin()))
        return fail("není to obrázek PNG");
    int64_t width = 0, height = 0;
    std::vector<uint8_t> compressed;
    bool header = false, ended = false, dataSeen = false, dataClosed = false;
    for (size_t at = kSignature.size(); !ended;) {
        if (png.size() - at < 12) return fail(kDamaged + "soubor je zkrácený");
        const uint32_t length = ReadBigEndian32(&png[at]);
        if (length > png.size() - at - 12) return fail(kDamaged + "soubor je zkrácený");
        const std::span<const uint8_t> typed = png.subspan(at + 4, 4 + length);
        const std::string type(typed.begin(), typed.begin() + 4);
        const std::span<const uint8_t> data = typed.subspan(4);
        if (ReadBigEndian32(&png[at + 8 + length]) != Crc32(typed))
            return fail(kDamaged + "kontrolní součet části " + type + " nesouhlasí");
        at += 12 + length;
        if (!header && type != "IHDR") return fail(kDamaged + "chybí hlavička");
        if (dataSeen && type != "IDAT") dataClosed = true;
        if (type == "IHDR") {
            if (header || length != 13) return fail(kDamaged + "hlavička je chybná");
            header = true;
            width = ReadBigEndian32(data.data());
            height = ReadBigEndian32(data.data() + 4);
            if (data[8] != 8 || data[9] != 2 || data[12] != 0)
                return fail(
                    "obrázek PNG tohoto druhu nelze načíst (jen 8bitové RGB bez prokládání)");
            if (data[10] != 0 || data[11] != 0) return fail(kDamaged + "hlavička je chybná");
            if (std::string why = PictureSizeProblem(width, height); !why.empty()) return fail(why);
        } else if (type == "IDAT") {
            if (dataClosed) return fail(kDamaged + "data obrázku jsou přerušená");
            dataSeen = true;
            compressed.insert(compressed.end(), data.begin(), data.end());
        } else if (type == "IEND") {
            ended = true;
        } else if (type != "PLTE" && (type[0] & 0x20) == 0) {
            // A critical chunk this reader does not know could change the picture.
            return fail("obrázek PNG obsahuje část " + type + ", kterou nelze načíst");
        }
    }
    if (!dataSeen) return fail(kDamaged + "chybí data obrázku");

    const size_t rowBytes = static_cast<size_t>(width) * kBytesPerPixel;
    std::vector<uint8_t> raw;
    if (std::string why = Inflate(compressed, (rowBytes + 1) * static_cast<size_t>(height), raw);
        !why.empty())
        return fail(kDamaged + why);
    if (!Unfilter(raw, rowBytes, static_cast<int32_t>(height)))
        return fail(kDamaged + "neznámý filtr řádku");

    Surface surface(static_cast<int32_t>(width), static_cast<int32_t>(height));
    for (int32_t y = 0; y < surface.Height(); ++y) {
        const uint8_t* source = raw.data() + static_cast<size_t>(y) * (rowBytes + 1) + 1;
        uint32_t* row = surface.Row(y);
        for (int32_t x = 0; x < surface.Width(); ++x, source += kBytesPerPixel)
            row[x] =
                kOpaqueBlack | uint32_t{source[0]} << 16 | uint32_t{source[1]} << 8 | source[2];
    }
    return surface;
}

std::optional<Surface> ReadPngFile(const std::string& path, std::string* problem) {
    const FileRead file = ReadRegularFile(path, kMaxPictureFileBytes);
    if (!file.Ok()) {
        if (problem != nullptr) *problem = DescribeReadFailure(file);
        return std::nullopt;
    }
    return DecodePng(file.Bytes, problem);
}

std::vector<uint8_t> EncodePng(const Surface& surface) {
    if (surface.Empty()) return {};
    std::vector<uint8_t> raw;
    raw.reserve(static_cast<size_t>(surface.Height()) * (surface.Width() * kBytesPerPixel + 1));
    for (int32_t y = 0; y < surface.Height(); ++y) {
        raw.push_back(0);  // no filter
        const uint32_t* row = surface.Row(y);
        for (int32_t x = 0; x < surface.Width(); ++x) {
            raw.push_back(static_cast<uint8_t>(row[x] >> 16));
            raw.push_back(static_cast<uint8_t>(row[x] >> 8));
            raw.push_back(static_cast<uint8_t>(row[x]));
        }
    }
    // zlib: deflate with a 32 KiB window, no dictionary; stored blocks of at most 65535 bytes.
    std::vector<uint8_t> zlib = {0x78, 0x01};
    constexpr size_t kMaxStored = 65535;
    size_t at = 0;
    do {
        const size_t length = std::min(kMaxStored, raw.size() - at);
        zlib.push_back(at + length == raw.size() ? 1 : 0);
        zlib.push_back(static_cast<uint8_t>(length));
        zlib.push_back(static_cast<uint8_t>(length >> 8));
        zlib.push_back(static_cast<uint8_t>(~length));
        zlib.push_back(static_cast<uint8_t>(~length >> 8));
        zlib.insert(zlib.end(), raw.begin() + static_cast<ptrdiff_t>(at),
                    raw.begin() + static_cast<ptrdiff_t>(at + length));
        at += length;
    } while (at < raw.size());
    AppendBigEndian32(zlib, Adler32(raw));

    std::vector<uint8_t> png(kSignature.begin(), kSignature.end());
    std::vector<uint8_t> header;
    AppendBigEndian32(header, static_cast<uint32_t>(surface.Width()));
    AppendBigEndian32(header, static_cast<uint32_t>(surface.Height()));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, deflate, no interlace
    AppendChunk(png, "IHDR", header);
    AppendChunk(png, "IDAT", zlib);
    AppendChunk(png, "IEND", {});
    return png;
}

}  // namespace ZapModule
