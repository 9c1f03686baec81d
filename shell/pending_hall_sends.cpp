// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/pending_hall_sends.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <system_error>

#include "storage/disk_data_files.h"

namespace ZapModule {

namespace {

constexpr std::string_view kMagic = "ZAPWALL-HALL-SEND 1\n";
constexpr std::string_view kExtension = ".hall-send";
constexpr size_t kNumberDigits = 6;
// A kept send's header lines beside the replay's largest file.
constexpr size_t kMaxHeaderBytes = 4096;

// The number of a kept send's file name ("000012.hall-send"), or -1 for another file.
int NumberOf(const std::string& name) {
    if (name.size() != kNumberDigits + kExtension.size() ||
        name.compare(kNumberDigits, std::string::npos, kExtension) != 0)
        return -1;
    int number = 0;
    const auto [end, ec] = std::from_chars(name.data(), name.data() + kNumberDigits, number);
    return ec == std::errc() && end == name.data() + kNumberDigits ? number : -1;
}

// The words after "KEYWORD " on the text's next line, which is consumed.
std::optional<std::string_view> Field(std::string_view& text, std::string_view keyword) {
    const size_t end = text.find('\n');
    if (end == std::string_view::npos || text.substr(0, keyword.size()) != keyword ||
        text.size() <= keyword.size() || text[keyword.size()] != ' ')
        return std::nullopt;
    const std::string_view value = text.substr(keyword.size() + 1, end - keyword.size() - 1);
    text.remove_prefix(end + 1);
    return value;
}

template <typename Number>
std::optional<Number> NumberField(std::string_view& text, std::string_view keyword) {
    const std::optional<std::string_view> value = Field(text, keyword);
    Number number{};
    if (!value) return std::nullopt;
    const auto [end, ec] = std::from_chars(value->data(), value->data() + value->size(), number);
    if (ec != std::errc() || end != value->data() + value->size()) return std::nullopt;
    return number;
}

}  // namespace

std::string PendingSendText(const HallSend& send) {
    return std::string(kMagic) + "name " + PercentEncoded(send.Name) + "\nscore " +
           std::to_string(send.Score) + "\nlevel " + std::to_string(send.Level) + "\n" +
           send.Replay;
}

std::optional<HallSend> ParsePendingSend(std::string_view text) {
    if (text.substr(0, kMagic.size()) != kMagic) return std::nullopt;
    text.remove_prefix(kMagic.size());
    const std::optional<std::string_view> name = Field(text, "name");
    const std::optional<std::string> decoded = name ? PercentDecoded(*name) : std::nullopt;
    const std::optional<int32_t> score = NumberField<int32_t>(text, "score");
    const std::optional<int16_t> level = NumberField<int16_t>(text, "level");
    if (!decoded || !score || !level || text.empty()) return std::nullopt;
    return HallSend{*decoded, *score, *level, std::string(text)};
}

std::vector<std::string> PendingHallSends::Names() const {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder_, error), end; !error && it != end;
         it.increment(error)) {
        std::string name = it->path().filename().string();
        if (NumberOf(name) >= 0) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<std::string> PendingHallSends::Keep(const HallSend& send, std::string* problem) {
    const std::vector<std::string> names = Names();
    if (names.size() >= kMaxPendingHallSends) {
        *problem = "neodeslaných výsledků čeká už " + std::to_string(kMaxPendingHallSends);
        return std::nullopt;
    }
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    const int number = names.empty() ? 1 : NumberOf(names.back()) + 1;
    std::string name = std::to_string(number);
    name = std::string(kNumberDigits - std::min(kNumberDigits, name.size()), '0') + name +
           std::string(kExtension);
    const std::string text = PendingSendText(send);
    int written = 0;
    if (error || !ReplaceFile(folder_ + "/" + name, {text.begin(), text.end()}, {}, &written)) {
        *problem = WriteErrorText(error ? error.value() : written);
        return std::nullopt;
    }
    return name;
}

std::optional<HallSend> PendingHallSends::Read(const std::string& name) const {
    const auto bytes = ReadWholeFile(folder_ + "/" + name, kMaxReplayFileSize + kMaxHeaderBytes);
    if (!bytes) return std::nullopt;
    return ParsePendingSend(std::string(bytes->begin(), bytes->end()));
}

void PendingHallSends::Drop(const std::string& name) {
    std::error_code error;
    std::filesystem::remove(folder_ + "/" + name, error);
}

}  // namespace ZapModule
