// KeySearch against std::string_view::find on keys and texts built to be
// hard for a substring search: small alphabets, periodic and nearly
// periodic keys, texts made of near-copies of the key, and the key placed
// at the start, at the end, across the end, or nowhere. The seeds are fixed;
// the first disagreement stops the test and names its seed, key and text.

#include "scrivet/key_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>

#include "random_input.h"

namespace {

constexpr std::uint64_t kKeys = 100000;  // one seed each
constexpr int kTextsPerKey = 4;          // all searched with one KeySearch

// The alphabets keys and texts are drawn from; the last holds NUL, 0x80
// and 0xFF.
const std::string kAlphabets[] = {"ab", "abc",
                                  std::string("\0\x80\xff"
                                              "a",
                                              4)};

// bytes in C notation, on one line; past kShown bytes only their number
// (the seed gives them all back).
std::string escaped(std::string_view bytes) {
  constexpr std::size_t kShown = 160;
  std::ostringstream out;
  for (const unsigned char c : bytes.substr(0, kShown)) {
    if (c == '\\' || c == '"') {
      out << '\\' << c;
    } else if (c >= 0x20 && c < 0x7f) {
      out << c;
    } else {
      out << "\\x" << std::hex << static_cast<int>(c) << std::dec;
    }
  }
  if (bytes.size() > kShown) out << "... (" << bytes.size() << " bytes)";
  return out.str();
}

char anyOf(model::Rng& rng, const std::string& alphabet) {
  return alphabet[rng.below(alphabet.size())];
}

std::string randomWord(model::Rng& rng, const std::string& alphabet, std::size_t size) {
  std::string word;
  for (std::size_t i = 0; i < size; ++i) word += anyOf(rng, alphabet);
  return word;
}

// word repeated up to size bytes, the last copy cut short.
std::string repeated(const std::string& word, std::size_t size) {
  std::string out;
  while (out.size() < size) out += word;
  out.resize(size);
  return out;
}

// A key of 0 to 40 bytes, or now and then up to 400: random, a^k, (ab)^k, a^k b, b a^k, a^k b a^j,
// a prefix of the Fibonacci word abaababaabaab..., or a random word
// repeated, as is or with one byte changed; a and b are two bytes of
// alphabet.
std::string newKey(model::Rng& rng, const std::string& alphabet) {
  const std::size_t size = rng.below(rng.percent(10) ? 401 : 41);
  const std::string a(1, alphabet[0]);
  const std::string b(1, alphabet[1]);
  const std::size_t k = size / 2;
  switch (rng.below(9)) {
    case 0:
      return randomWord(rng, alphabet, size);
    case 1:
      return repeated(a, size);
    case 2:
      return repeated(a + b, size);
    case 3:
      return repeated(a, size) + b;
    case 4:
      return b + repeated(a, size);
    case 5:
      return repeated(a, k) + b + repeated(a, rng.percent(50) ? k : rng.below(size + 1));
    case 6: {
      // Each Fibonacci word is the one before followed by the one before
      // that, which is also a prefix of the one before.
      std::string word = a + b;
      std::size_t before = 1;
      while (word.size() < size) word += word.substr(0, std::exchange(before, word.size()));
      return word.substr(0, size);
    }
    default: {
      std::string key = repeated(randomWord(rng, alphabet, 1 + rng.below(6)), size);
      if (!key.empty() && rng.percent(50)) key[rng.below(size)] = anyOf(rng, alphabet);
      return key;
    }
  }
}

// A text of up to about 360 bytes, so that both short and long texts are
// searched: random, one byte repeated, or near-copies
// of key; then, by chance, key put at its start, its end or its middle, or
// key cut short at its end or its start.
std::string newText(model::Rng& rng, const std::string& alphabet, const std::string& key) {
  const std::size_t size = rng.below(320);
  std::string text;
  switch (rng.below(4)) {
    case 0:
      text = randomWord(rng, alphabet, size);
      break;
    case 1:
      text = repeated(std::string(1, anyOf(rng, alphabet)), size);
      break;
    default:
      while (!key.empty() && text.size() < size) {
        std::string copy = key;
        if (rng.percent(70)) copy[rng.below(copy.size())] = anyOf(rng, alphabet);
        text += copy.substr(rng.below(std::min<std::size_t>(3, copy.size())));
      }
  }
  const std::size_t cut = key.empty() ? 0 : 1 + rng.below(key.size());
  switch (rng.below(7)) {
    case 0:
      return key + text;
    case 1:
      return text + key;
    case 2:
      return text.insert(text.size() / 2, key);
    case 3:
      return text + key.substr(0, key.size() - cut);
    case 4:
      return key.substr(cut) + text;
    default:
      return text;
  }
}

TEST(KeySearch, AgreesWithFindOnHardKeysAndTexts) {
  std::uint64_t found = 0;
  std::uint64_t missing = 0;
  for (std::uint64_t seed = 1; seed <= kKeys; ++seed) {
    model::Rng rng(seed);
    const std::string& alphabet = kAlphabets[rng.below(std::size(kAlphabets))];
    const std::string key = newKey(rng, alphabet);
    const scrivet::KeySearch search(key);
    for (int i = 0; i < kTextsPerKey; ++i) {
      const std::string text = newText(rng, alphabet, key);
      const bool expected = std::string_view(text).find(key) != std::string_view::npos;
      if (search.foundIn(text) != expected) {
        FAIL() << "seed " << seed << ", text " << i << ": key \"" << escaped(key) << "\" is "
               << (expected ? "" : "not ") << "in text \"" << escaped(text)
               << "\", foundIn says otherwise";
      }
      ++(expected ? found : missing);
    }
  }
  // Both answers must be common, or the cases above test little.
  EXPECT_GT(found, kKeys * kTextsPerKey / 4);
  EXPECT_GT(missing, kKeys * kTextsPerKey / 4);
}

}  // namespace
