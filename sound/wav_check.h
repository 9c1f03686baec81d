#pragma once
// What a sound file may cost the sound component, judged from its WAV header alone: the
// component refuses a file before decoding it, and `zapwall-data check` names the files the game
// would leave silent. Plain C++, shared by the engine and the component library.

#include <cstdint>
#include <string>
#include <vector>

namespace ZapModule {

struct WavFacts {
    int32_t Channels = 0;
    int32_t Rate = 0;    // frames per second
    double Seconds = 0;  // the length the data chunk gives, at most
};

// Why the component would not play this WAV file, in Czech ("vzorkovací frekvence 1 Hz je mimo
// 4000 až 192000 Hz"); empty when it may. Fills `facts` as far as the header goes.
std::string WavProblem(const std::vector<uint8_t>& bytes, WavFacts* facts = nullptr);

}  // namespace ZapModule
