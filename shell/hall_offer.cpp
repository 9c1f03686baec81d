// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/hall_offer.h"

namespace ZapModule {

namespace {

// "1 dříve neodeslaný výsledek", "3 dříve neodeslané výsledky", "5 dříve neodeslaných výsledků".
std::string KeptResults(size_t count) {
    const char* words = "dříve neodeslaných výsledků";
    if (count == 1)
        words = "dříve neodeslaný výsledek";
    else if (count >= 2 && count <= 4)
        words = "dříve neodeslané výsledky";
    return std::to_string(count) + " " + words;
}

std::string Result(const HallSend& send) {
    return "IQ " + std::to_string(send.Score) + ", úroveň " + std::to_string(send.Level);
}

HallRequest RequestOf(const std::string& address, const HallSend& send, std::string kept) {
    return {HallSendUrl(address, send),
            send.Replay,
            std::move(kept),
            send.Name + ", " + Result(send),
            {}};
}

}  // namespace

HallOffer::HallOffer(std::optional<std::string> address, PendingHallSends& pending,
                     std::optional<HallSend> game)
    : address_(std::move(address)), pending_(pending), game_(std::move(game)) {
    if (address_) kept_ = pending_.Names();
    notes_ = pending_.TakeNotes();
}

std::string HallOffer::Question() const {
    std::string notes;
    for (const std::string& note : notes_) notes += note + "\n";
    return notes + Asked();
}

std::string HallOffer::Asked() const {
    const std::string server = "do síně slávy na serveru " + address_.value_or("") + "?";
    if (!game_) return "Čeká " + KeptResults(kept_.size()) + ". Odeslat je teď " + server;
    std::string question = "Odeslat výsledek této hry (" + Result(*game_) + ") " + server;
    if (!kept_.empty()) question += "\nOdešle se i " + KeptResults(kept_.size()) + ".";
    return question;
}

std::vector<HallRequest> HallOffer::Accept(const std::string& nickname) {
    std::vector<HallRequest> requests;
    if (!address_) return requests;
    if (game_) {
        HallSend send = *game_;
        send.Name = nickname;
        std::string problem;
        const std::optional<std::string> kept = pending_.Keep(send, &problem);
        requests.push_back(RequestOf(*address_, send, kept.value_or("")));
        if (!kept) requests.back().NotKept = problem;
    }
    for (const std::string& name : kept_)
        if (const std::optional<HallSend> send = pending_.Read(name))
            requests.push_back(RequestOf(*address_, *send, name));
    return requests;
}

std::string HallOffer::Answered(const HallRequest& request, int status, std::string_view body,
                                std::string_view problem) {
    const HallSendAnswer answer = ReadHallAnswer(status, body, problem);
    std::string text = request.About + ": " + answer.Text;
    if (answer.Outcome != HallSendOutcome::Failed) {
        if (!request.Kept.empty()) pending_.Drop(request.Kept);
    } else if (request.Kept.empty())
        text += " Výsledek nelze uschovat k dalšímu pokusu (" + request.NotKept +
                "); jeho záznam zůstává ve složce replays.";
    else
        text += " Výsledek zůstává uschován a hra ho nabídne znovu.";
    return text;
}

}  // namespace ZapModule
