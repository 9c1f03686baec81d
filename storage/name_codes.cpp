// SPDX-License-Identifier: GPL-3.0-or-later
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
        const int16_t stored = in.Read16();
        const int code = stored - kCodeOffset;
        if (code < 0 || code > 0xFF) {
            // The rest of the name is skipped, so the reader stays at the next field.
            in.Skip16(static_cast<size_t>(result.Length - k - 1));
            result.Status = NameStatus::BadCode;
            result.Code = stored;
            result.Name.clear();
            return result;
        }
        AppendUtf8(result.Name, Cp1250ToUnicode(static_cast<uint8_t>(code)));
    }
    return result;
}

std::string NameProblem(const NameRead& name) {
    switch (name.Status) {
        case NameStatus::Ok:
            return {};
        case NameStatus::NegativeLength:
            return "záporná délka jména " + std::to_string(name.Length);
        case NameStatus::CutShort:
            return "soubor končí uprostřed záznamu";
        case NameStatus::BadCode:
            break;
    }
    return "kód " + std::to_string(name.Code) + " ve jméně není znak (znaky mají kódy " +
           std::to_string(kCodeOffset) + " až " + std::to_string(0xFF + kCodeOffset) + ")";
}

}  // namespace ZapModule
