// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One offer to send results to the hall server, as both frontends make it: at the start, of the
// sends kept from before; at a game's end, of that game and the kept ones. The player is asked
// once (the question's text is here); only a yes sends anything. The game is then kept with the
// others before its send goes out, every send goes to the address set now, and each answer
// drops its send (filed, or refused with a reason) or leaves it kept for the next offer.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "hall_protocol/hall_send.h"
#include "hall_protocol/pending_hall_sends.h"

namespace ZapModule {

// One request a yes makes: posted to `Url` with `Body` (the replay) as text/plain.
struct HallRequest {
    std::string Url;
    std::string Body;
    std::string Kept;     // the kept send's name; empty when it could not be kept
    std::string About;    // which result it is, for the player: "Pepa, IQ 120, úroveň 3"
    std::string NotKept;  // why it could not be kept, in Czech
};

class HallOffer {
  public:
    // `address` as HallServerAddress gives it; without one nothing is offered. `game` is the
    // ended game's send (OfferedHallSend), if any; the kept sends are in `pending`.
    HallOffer(std::optional<std::string> address, PendingHallSends& pending,
              std::optional<HallSend> game = std::nullopt);

    // Whether the player is to be asked at all.
    bool Asks() const { return address_ && (game_ || !kept_.empty()); }
    const std::optional<HallSend>& Game() const { return game_; }
    // The question, in Czech: which result, to which server, and how many kept ones go too,
    // after the notes on kept sends set aside as damaged.
    std::string Question() const;
    // The notes on the kept sends set aside as damaged when the offer was made.
    const std::vector<std::string>& Notes() const { return notes_; }

    // The player's yes, the game under `nickname`: the requests to make, the game's first.
    std::vector<HallRequest> Accept(const std::string& nickname);
    // The answer to one of them (as ReadHallAnswer takes it): the text to show, naming the result;
    // the send is dropped or stays kept.
    std::string Answered(const HallRequest& request, int status, std::string_view body,
                         std::string_view problem);

  private:
    std::string Asked() const;

    std::optional<std::string> address_;
    PendingHallSends& pending_;
    std::optional<HallSend> game_;
    std::vector<std::string> kept_;
    std::vector<std::string> notes_;
};

}  // namespace ZapModule
