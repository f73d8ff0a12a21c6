// Deterministic pseudo-random numbers for the demo shop. The generator is
// SplitMix64: tiny state, so every day of the journal and every product gets
// its own stream seeded from (shop seed, key), and what one day draws never
// depends on what an earlier day drew.
#ifndef SARVILAX_DEMOSHOP_DEMO_RANDOM_H_
#define SARVILAX_DEMOSHOP_DEMO_RANDOM_H_

#include <cstdint>

namespace sarvilax {

// The SplitMix64 output function: a bijective mix of 64 bits.
inline uint64_t MixBits(uint64_t z) {
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

// A well-mixed value for a tuple of keys; equal tuples give equal values.
inline uint64_t HashKeys(uint64_t a, uint64_t b, uint64_t c = 0, uint64_t d = 0) {
  constexpr uint64_t kStep = 0x9E3779B97F4A7C15ULL;
  uint64_t h = MixBits(a + kStep);
  h = MixBits(h ^ (b + 2 * kStep));
  h = MixBits(h ^ (c + 3 * kStep));
  return MixBits(h ^ (d + 4 * kStep));
}

// A uniform value in [0, 1) from a hash.
inline double UnitFromHash(uint64_t h) { return static_cast<double>(h >> 11) * 0x1.0p-53; }

class DemoRandom {
 public:
  explicit DemoRandom(uint64_t seed) : state_(seed) {}

  uint64_t Next() { return MixBits(state_ += 0x9E3779B97F4A7C15ULL); }
  // Uniform in [0, 1).
  double Uniform() { return UnitFromHash(Next()); }
  // Uniform in [0, n) for 0 < n < 2^32.
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(((Next() >> 32) * n) >> 32); }
  // Uniform in [low, high].
  int64_t Between(int64_t low, int64_t high) {
    return low + static_cast<int64_t>(Below(static_cast<uint32_t>(high - low + 1)));
  }
  bool Chance(double probability) { return Uniform() < probability; }

 private:
  uint64_t state_;
};

}  // namespace sarvilax

#endif  // SARVILAX_DEMOSHOP_DEMO_RANDOM_H_
