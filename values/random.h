// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game's one source of uniform random numbers in [0, 1). The game seeds it from the clock;
// tests and the headless driver seed it or make it repeat a fixed list.

#include <cstdint>
#include <random>
#include <vector>

namespace ZapModule {

class RandomSource {
  public:
    explicit RandomSource(uint32_t seed = 1) { Seed(seed); }

    // Draws from the seeded generator from now on.
    void Seed(uint32_t seed);
    // The seed a game takes when none is given: the system clock's low 32 bits.
    static uint32_t ClockSeed();
    // Returns the given values in order, starting again from the first when they run out.
    // Every value must lie in [0, 1); an empty list returns to the seeded generator.
    void UseSequence(std::vector<float> values);

    // The next number, never below 0 and never 1.0 or more.
    float Next();

    // Equal sources give the same numbers from now on.
    friend bool operator==(const RandomSource&, const RandomSource&) = default;

  private:
    std::mt19937 engine_;
    std::vector<float> sequence_;
    size_t next_ = 0;
};

}  // namespace ZapModule
