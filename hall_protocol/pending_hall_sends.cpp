// SPDX-License-Identifier: GPL-3.0-or-later
#include "hall_protocol/pending_hall_sends.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <system_error>

#include "platform/disk_files.h"
#include "platform/file_reading.h"
#include "storage/disk_data_files.h"
#include "storage/file_problems.h"

namespace ZapModule {

namespace {

constexpr std::string_view kMagic = "ZAPWALL-HALL-SEND 1\n";
constexpr std::string_view kExtension = ".hall-send";
// A kept send's number has at least six digits, and at most as many as 64 bits surely hold.
constexpr size_t kNumberDigits = 6;
constexpr size_t kMostNumberDigits = 18;
constexpr uint64_t kHighestNumber = 999'999'999'999'999'999;
// A kept send's header lines beside the replay's largest file.
constexpr size_t kMaxHeaderBytes = 4096;
constexpr size_t kMaxSendBytes = kMaxReplayFileSize + kMaxHeaderBytes;

// A kept send's file name: its number, with zeros before it up to six digits.
std::string NameOf(uint64_t number) {
    std::string digits = std::to_string(number);
    if (digits.size() < kNumberDigits) digits.insert(0, kNumberDigits - digits.size(), '0');
    return digits + std::string(kExtension);
}

// The number of a kept send's file name, or nothing for another file.
std::optional<uint64_t> NumberOf(std::string_view name) {
    if (!name.ends_with(kExtension)) return std::nullopt;
    const std::string_view digits = name.substr(0, name.size() - kExtension.size());
    if (digits.size() < kNumberDigits || digits.size() > kMostNumberDigits) return std::nullopt;
    uint64_t number = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (ec != std::errc() || end != digits.data() + digits.size() || number == 0 ||
        NameOf(number) != name)
        return std::nullopt;
    return number;
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

std::vector<std::string> PendingHallSends::Names() {
    if (!std::exchange(swept_, true))
        RemoveStaleTemporaries(folder_, [](const std::string& name) {
            std::string file;
            return IsTemporaryName(name, &file) && NumberOf(file).has_value();
        });
    std::vector<std::pair<uint64_t, std::string>> found;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder_, error), end; !error && it != end;
         it.increment(error)) {
        std::string name = it->path().filename().string();
        if (const std::optional<uint64_t> number = NumberOf(name))
            found.emplace_back(*number, std::move(name));
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> names;
    for (auto& [number, name] : found) {
        highest_ = std::max(highest_, number);
        // The header tells a kept send; the whole is read only when it is sent.
        FileReader reader(folder_ + "/" + name, kMaxSendBytes);
        std::string start(kMaxHeaderBytes, '\0');
        std::ptrdiff_t got = 0;
        for (std::ptrdiff_t now = 1; reader.Opened().Ok() && now > 0 && got < std::ssize(start);
             got += now)
            now = reader.Read(start.data() + got, start.size() - static_cast<size_t>(got));
        start.resize(static_cast<size_t>(std::max<std::ptrdiff_t>(got, 0)));
        if (!reader.Opened().Ok())
            SetAside(name, DescribeReadFailure(reader.Opened()));
        else if (start.empty())
            SetAside(name, "soubor je prázdný");
        else if (!ParsePendingSend(start))
            SetAside(name, "to není uschovaný výsledek");
        else
            names.push_back(std::move(name));
    }
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
    // After the last number the first free one.
    uint64_t number = highest_ + 1;
    if (highest_ >= kHighestNumber)
        for (number = 1; EntryExists(folder_ + "/" + NameOf(number));) ++number;
    std::string name = NameOf(number);
    const std::string text = PendingSendText(send);
    int written = 0;
    if (error || !ReplaceFile(folder_ + "/" + name, {text.begin(), text.end()}, {}, &written)) {
        *problem = WriteErrorText(error ? error.value() : written);
        return std::nullopt;
    }
    highest_ = std::max(highest_, number);
    return name;
}

std::optional<HallSend> PendingHallSends::Read(const std::string& name) {
    const FileRead read = ReadRegularFile(folder_ + "/" + name, kMaxSendBytes);
    if (read.Failure == ReadFailure::Missing) return std::nullopt;
    std::optional<HallSend> send;
    if (read.Ok()) send = ParsePendingSend(std::string(read.Bytes.begin(), read.Bytes.end()));
    if (!send) SetAside(name, read.Ok() ? "to není uschovaný výsledek" : DescribeReadFailure(read));
    return send;
}

void PendingHallSends::SetAside(const std::string& name, const std::string& why) {
    const std::optional<std::string> aside = SetAsideAsDamaged(folder_ + "/" + name);
    const int error = errno;
    std::string note =
        "Uschovaný výsledek " + name + " ve složce " + folder_ + " nelze použít (" + why + "); ";
    note += aside
                ? "je odložen jako " + aside->substr(folder_.size() + 1) + " a hra ho už nenabízí."
                : "nelze ho ani odložit (" + WriteErrorText(error) + "), hra ho vynechá.";
    notes_.push_back(std::move(note));
}

void PendingHallSends::Drop(const std::string& name) {
    std::error_code error;
    std::filesystem::remove(folder_ + "/" + name, error);
}

}  // namespace ZapModule
