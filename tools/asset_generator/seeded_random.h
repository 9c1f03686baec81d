// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small seeded generator (SplitMix64), so every texture and every noise burst comes out the same
// on every run and on every machine.

#include <cstdint>

namespace ZapAssets {

class SeededRandom {
  public:
    explicit SeededRandom(uint64_t seed) : state_(seed) {}

    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    // Uniform in [lo, hi).
    double Between(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
    // Uniform integer in [0, n).
    int Below(int n) { return static_cast<int>(Uniform() * n); }

  private:
    uint64_t state_;
};

}  // namespace ZapAssets
