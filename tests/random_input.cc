#include "random_input.h"

namespace model {

std::uint64_t Rng::next() {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

std::string randomText(Rng& rng, bool allowQuote) {
  static const char kPlain[] = "abcxyz ABC 019";
  const std::size_t length = rng.percent(3) ? 100 + rng.below(400) : rng.below(12);
  std::string text;
  for (std::size_t i = 0; i < length; ++i) {
    const auto kind = rng.below(100);
    if (kind < 70) {
      text += kPlain[rng.below(sizeof kPlain - 1)];
    } else if (kind < 90) {
      text += pick(rng, {'\t', '\r', '\0', '\x1b', '\v', '\f'});
    } else if (kind < 97 || !allowQuote) {
      text += static_cast<char>(0x80 + rng.below(0x80));
    } else {
      text += '"';
    }
  }
  return text;
}

std::string randomNumber(Rng& rng, std::size_t size) {
  static const char* const kOdd[] = {"0",
                                     "-1",
                                     "-7",
                                     "2147483647",
                                     "-2147483648",
                                     "2147483648",
                                     "-2147483649",
                                     "99999999999999999999",
                                     "",
                                     "abc",
                                     "-",
                                     "+",
                                     " ",
                                     "x1",
                                     "+3",
                                     "007",
                                     "2x",
                                     "-0",
                                     "\t 2",
                                     " \r\v\f1"};
  const auto kind = rng.below(100);
  if (kind < 15) return pick(rng, kOdd);
  const auto n = static_cast<long long>(size);
  long long value = 0;
  if (kind < 80 && n > 0) {
    value = 1 + static_cast<long long>(rng.below(static_cast<std::uint64_t>(n)));
  } else {
    value = n + static_cast<long long>(rng.below(3));  // n, n + 1, n + 2
  }
  std::string spelled = std::to_string(value);
  if (rng.percent(10)) spelled = pick(rng, {" ", "  ", "\t", "+"}) + spelled;
  return spelled;
}

}  // namespace model
