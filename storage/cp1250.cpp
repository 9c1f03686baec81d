// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/cp1250.h"

#include <array>

namespace ZapModule {
namespace {

// Codes 80 to FF hexadecimal; below 80 the code page is ASCII.
constexpr std::array<char16_t, 128> kUpperHalf = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // F8
};

constexpr char32_t kReplacement = 0xFFFD;

}  // namespace

char32_t NextUtf8(std::string_view text, size_t& i) {
    const auto lead = static_cast<uint8_t>(text[i]);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    size_t length;
    char32_t c;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
    } else {
        ++i;
        return kReplacement;
    }
    if (text.size() - i < length) {
        ++i;
        return kReplacement;
    }
    for (size_t k = 1; k < length; ++k) {
        const auto next = static_cast<uint8_t>(text[i + k]);
        if ((next & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        c = (c << 6) | (next & 0x3F);
    }
    const bool overlong = (length == 3 && c < 0x800) || (length == 4 && c < 0x10000);
    if (overlong || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
        ++i;
        return kReplacement;
    }
    i += length;
    return c;
}

char32_t Cp1250ToUnicode(uint8_t code) {
    return code < 0x80 ? code : kUpperHalf[code - 0x80];
}

std::optional<uint8_t> UnicodeToCp1250(char32_t c) {
    if (c < 0x80) return static_cast<uint8_t>(c);
    for (size_t k = 0; k < kUpperHalf.size(); ++k) {
        if (kUpperHalf[k] == c) return static_cast<uint8_t>(0x80 + k);
    }
    return std::nullopt;
}

std::vector<uint8_t> EncodeCp1250(std::string_view utf8) {
    std::vector<uint8_t> codes;
    codes.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();)
        codes.push_back(UnicodeToCp1250(NextUtf8(utf8, i)).value_or('?'));
    return codes;
}

bool FitsCp1250(std::string_view utf8) {
    for (size_t i = 0; i < utf8.size();)
        if (!UnicodeToCp1250(NextUtf8(utf8, i))) return false;
    return true;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::string DecodeCp1250(const std::vector<uint8_t>& codes) {
    std::string text;
    text.reserve(codes.size());
    for (uint8_t code : codes) AppendUtf8(text, Cp1250ToUnicode(code));
    return text;
}

}  // namespace ZapModule
