#include "storage/name_codes.h"

#include "storage/cp1250.h"

namespace ZapModule {

namespace {
constexpr int kCodeOffset = 2;
}

void AppendName(std::vector<uint8_t>& out, std::string_view utf8) {
    std::vector<uint8_t> codes = EncodeCp1250(utf8);
    if (codes.size() > kMaxNameLength) codes.resize(kMaxNameLength);
    Append16(out, static_cast<int16_t>(codes.size()));
    for (uint8_t code : codes) Append16(out, static_cast<int16_t>(code + kCodeOffset));
}

NameRead ReadName(ByteReader& in) {
    NameRead result;
    if (!in.Has(1)) {
        result.Status = NameStatus::CutShort;
        return result;
    }
    result.Length = in.Read16();
    if (result.Length < 0) {
        result.Status = NameStatus::NegativeLength;
        return result;
    }
    if (!in.Has(static_cast<size_t>(result.Length))) {
        result.Status = NameStatus::CutShort;
        return result;
    }
    for (int16_t k = 0; k < result.Length; ++k) {
        const int code = in.Read16() - kCodeOffset;
        AppendUtf8(result.Name, code >= 0 && code <= 0xFF
                                    ? Cp1250ToUnicode(static_cast<uint8_t>(code))
                                    : char32_t{'?'});
    }
    return result;
}

}  // namespace ZapModule
