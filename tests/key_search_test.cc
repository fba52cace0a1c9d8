// KeySearch against std::string_view::find, as a program of its own rather
// than a GoogleTest binary, so that make cross-check runs it under each
// emulator (big-endian, 32-bit, NEON) as well as natively:
//
//   scrivet_key_search_tests hard         keys and texts built to be hard for
//                                         a substring search: small alphabets,
//                                         periodic and nearly periodic keys,
//                                         texts made of near-copies of the
//                                         key, and the key placed at the
//                                         start, at the end, across the end,
//                                         or nowhere;
//   scrivet_key_search_tests exhaustive   every key of up to 8 bytes over
//                                         small alphabets, and longer ones at
//                                         random, each against texts of every
//                                         length from 0 to past where the
//                                         filter's blocks of places end.
//
// The alphabets mix bytes that rank far apart in byte_ranks.h and bytes
// that rank close, so that each byte of a key is chosen for the pair in
// some keys. The seeds are fixed; the first disagreement ends the program
// with status 1 and names its seed, key and text.

#include "scrivet/key_search.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>

#include "random_input.h"

namespace {

constexpr std::uint64_t kKeys = 100000;  // one seed each
constexpr int kTextsPerKey = 4;          // all searched with one KeySearch

// The alphabets keys and texts are drawn from: common letters, a rare
// byte among common ones, and NUL, 0x80 and 0xFF beside a common letter.
const std::string kAlphabets[] = {"ab", "eQa",
                                  std::string("\0\x80\xff"
                                              "e",
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

// Whether search agrees with std::string_view::find on text; when not,
// prints the case, with what of seed and text index make it again.
bool agrees(const scrivet::KeySearch& search, const std::string& key, const std::string& text,
            const std::string& where) {
  const bool expected = std::string_view(text).find(key) != std::string_view::npos;
  if (search.foundIn(text) == expected) return true;
  std::printf("%s: key \"%s\" is %sin text \"%s\", foundIn says otherwise\n", where.c_str(),
              escaped(key).c_str(), expected ? "" : "not ", escaped(text).c_str());
  return false;
}

// Keys from newKey, each against texts from newText.
bool hardKeysAndTexts() {
  std::uint64_t found = 0;
  std::uint64_t missing = 0;
  for (std::uint64_t seed = 1; seed <= kKeys; ++seed) {
    model::Rng rng(seed);
    const std::string& alphabet = kAlphabets[rng.below(std::size(kAlphabets))];
    const std::string key = newKey(rng, alphabet);
    const scrivet::KeySearch search(key);
    for (int i = 0; i < kTextsPerKey; ++i) {
      const std::string text = newText(rng, alphabet, key);
      const std::string where = "seed " + std::to_string(seed) + ", text " + std::to_string(i);
      if (!agrees(search, key, text, where)) return false;
      ++(std::string_view(text).find(key) != std::string_view::npos ? found : missing);
    }
  }
  // Both answers must be common, or the cases above test little.
  std::printf("hard: %s texts held their key, %s did not\n", std::to_string(found).c_str(),
              std::to_string(missing).c_str());
  return found > kKeys * kTextsPerKey / 4 && missing > kKeys * kTextsPerKey / 4;
}

// The longest text that exhaustive() tries, past the key: beyond the
// longest block of places that the filter compares at once (64) and a
// tail block after it, on every architecture.
constexpr std::size_t kLongestText = 160;

// key against a text of every length from 0 to kLongestText + its size,
// three texts of each: random bytes of alphabet; the key at the last place
// it fits, after random bytes; and the same with the key's last byte
// drawn again, so that the pair matches there or nearly.
bool everyLength(const std::string& key, const std::string& alphabet, std::uint64_t seed) {
  const scrivet::KeySearch search(key);
  model::Rng rng(seed);
  const std::string random = randomWord(rng, alphabet, kLongestText + key.size());
  std::string nearly = key;
  if (!key.empty()) nearly.back() = anyOf(rng, alphabet);
  for (std::size_t size = 0; size <= random.size(); ++size) {
    const std::string where = "seed " + std::to_string(seed);
    if (!agrees(search, key, random.substr(0, size), where)) return false;
    if (size < key.size()) continue;
    const std::string before = random.substr(0, size - key.size());
    if (!agrees(search, key, before + key, where) || !agrees(search, key, before + nearly, where)) {
      return false;
    }
  }
  return true;
}

// Every key of 0 to 8 bytes over the alphabets of two and three bytes and
// of 0 to 6 bytes over the one of four, then keys of 9 to 40 bytes made as
// newKey makes them.
bool exhaustive() {
  struct Alphabet {
    std::string bytes;
    std::size_t longestKey;
  };
  const Alphabet kExhaustive[] = {{"ab", 8}, {"eQa", 8}, {std::string("\0e\xffQ", 4), 6}};
  constexpr std::uint64_t kRandomKeys = 2000;
  std::uint64_t keys = 0;
  for (const Alphabet& alphabet : kExhaustive) {
    const std::string& bytes = alphabet.bytes;
    // Each key in turn, as a number written in base bytes.size().
    for (std::size_t size = 0; size <= alphabet.longestKey; ++size) {
      std::string key(size, bytes[0]);
      for (;;) {
        if (!everyLength(key, bytes, ++keys)) return false;
        std::size_t i = 0;
        while (i < size && key[i] == bytes.back()) key[i++] = bytes[0];
        if (i == size) break;
        key[i] = bytes[bytes.find(key[i]) + 1];
      }
    }
  }
  for (std::uint64_t seed = 1; seed <= kRandomKeys; ++seed) {
    model::Rng rng(seed);
    const std::string& bytes = kExhaustive[rng.below(std::size(kExhaustive))].bytes;
    std::string key;
    while (key.size() <= 8 || key.size() > 40) key = newKey(rng, bytes);
    if (!everyLength(key, bytes, seed)) return false;
  }
  std::printf("exhaustive: %s keys, each against texts of every length to %zu bytes past it\n",
              std::to_string(keys + kRandomKeys).c_str(), kLongestText);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string check = argc == 2 ? argv[1] : "";
  if (check == "hard") return hardKeysAndTexts() ? 0 : 1;
  if (check == "exhaustive") return exhaustive() ? 0 : 1;
  std::fprintf(stderr, "usage: scrivet_key_search_tests hard|exhaustive\n");
  return 2;
}
