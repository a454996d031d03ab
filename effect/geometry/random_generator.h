#pragma once

#include <cstdint>

namespace boxwander {

// The 31-bit linear congruential generator behind every random choice of the chain,
// so a given Seed always yields the same chain. A plain value: copying copies the state.
class RandomGenerator {
 public:
  void clear() noexcept { state_ = 0; }
  // Signed seeds are taken bit for bit.
  void setSeed(std::int32_t value) noexcept { state_ = static_cast<std::uint32_t>(value); }
  // state = state * 1103515245 + 12345 (mod 2^32); returns the low 31 bits.
  std::int32_t nextInt() noexcept {
    state_ = state_ * 1103515245u + 12345u;
    return static_cast<std::int32_t>(state_ & 0x7fffffffu);
  }
  // nextInt() * 2^-31: from 0 up to but not including 1.
  double nextReal() noexcept { return static_cast<double>(nextInt()) * 4.656612873077393e-10; }

  std::uint32_t state() const noexcept { return state_; }

 private:
  std::uint32_t state_ = 0;
};

// Seeds a generator as every render does: clear, seed, and drop the first draw.
inline void SeedForRender(RandomGenerator& rng, std::int32_t seed) noexcept {
  rng.clear();
  rng.setSeed(seed);
  rng.nextInt();
}

}  // namespace boxwander
