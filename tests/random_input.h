// Seeded random pieces of input, shared by the session generators of both
// programs' models: a platform-independent random source, texts of any
// bytes, and line numbers aimed at a document's edges.

#ifndef SCRIVET_TESTS_RANDOM_INPUT_H_
#define SCRIVET_TESTS_RANDOM_INPUT_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace model {

// A small, seeded, platform-independent random source (splitmix64).
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state(seed) {}
  std::uint64_t next();
  // A value in 0..bound-1; bound must not be 0.
  std::uint64_t below(std::uint64_t bound) { return next() % bound; }
  // True with the given chance in percent.
  bool percent(unsigned chance) { return below(100) < chance; }

 private:
  std::uint64_t state;
};

// One of choices, drawn evenly.
template <typename T, std::size_t N>
const T& pick(Rng& rng, const T (&choices)[N]) {
  return choices[rng.below(N)];
}

// A text of any bytes but the newline, mostly short; a double quote only
// when allowQuote.
std::string randomText(Rng& rng, bool allowQuote);

// The spelling of a line number for a document of size lines: usually a
// line inside, at or just outside the document, sometimes a limit of int or
// something that is no number at all.
std::string randomNumber(Rng& rng, std::size_t size);

}  // namespace model

#endif  // SCRIVET_TESTS_RANDOM_INPUT_H_
