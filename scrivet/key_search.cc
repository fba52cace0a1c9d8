#include "key_search.h"

#include <algorithm>
#include <cstring>

namespace scrivet {
namespace {

// Two ways to pass over the places in a text that cannot hold the key,
// while no byte of the key is known to match there, each a speed trick of
// "Speed tricks" in docs/performance.md. On texts of fewer than kShortText
// bytes, a key of kTableKey bytes or more moves by the table skip, up to
// the key's length at a time, for on a short line a call to memchr costs
// more than the few bytes it passes over. Every other text is passed over
// with memchr, which looks for the key's last byte many bytes at a time.
//
// skip is filled only for keys shorter than kShortText, so that its moves,
// at most the key's length, fit in a byte. A longer key would never use
// it: foundIn looks only at texts at least as long as the key, and the
// table serves only texts shorter than kShortText.
constexpr std::size_t kShortText = 256;
constexpr std::size_t kTableKey = 12;
static_assert(kShortText <= 256, "skip holds moves of at most 255");

// A suffix of the key.
struct Suffix {
  // Where it begins in the key.
  std::size_t start;
  // Its smallest period.
  std::size_t period;
};

// The number of leading bytes that a[0, n) and b[0, n) share. Past the
// first 64, it compares 64 at a time with memcmp, so that preparing a long
// key made of one short run repeated, such as a...ab, does not cost a byte
// by byte loop over the whole key: a speed trick of "Speed tricks" in
// docs/performance.md.
std::size_t commonPrefix(const unsigned char* a, const unsigned char* b, std::size_t n) {
  constexpr std::size_t kBlock = 64;
  std::size_t same = 0;
  while (same < n && same < kBlock && a[same] == b[same]) ++same;
  if (same < kBlock) return same;
  while (n - same >= kBlock && std::memcmp(a + same, b + same, kBlock) == 0) same += kBlock;
  while (same < n && a[same] == b[same]) ++same;
  return same;
}

// The maximal suffix of key[0, size), size at least 1, for the byte order <
// or, when reversed, for >, in time linear in size.
Suffix maximalSuffix(const unsigned char* key, std::size_t size, bool reversed) {
  // The best suffix so far starts at start and has the period period; a
  // rival suffix starts at rival and agrees with it on its first k - 1
  // bytes.
  std::size_t start = 0;
  std::size_t rival = 1;
  std::size_t k = 1;
  std::size_t period = 1;
  while (rival + k - 1 < size) {
    const unsigned char a = key[rival + k - 1];
    const unsigned char b = key[start + k - 1];
    if (a == b) {
      // key[start, rival + k) keeps the period: pass over every further
      // byte that keeps it, at once, and place the rival as the bytes
      // passed over leave it.
      const std::size_t next = rival + k;
      const std::size_t end = next + commonPrefix(key + next, key + next - period, size - next);
      k = (end - start) % period + 1;
      rival = end - k + 1;
    } else if ((a < b) != reversed) {
      // The rival falls behind: the best suffix's period grows to cover it.
      rival += k;
      k = 1;
      period = rival - start;
    } else {
      // The rival wins and becomes the best suffix.
      start = rival;
      rival = start + 1;
      k = 1;
      period = 1;
    }
  }
  return {start, period};
}

}  // namespace

KeySearch::KeySearch(std::string_view key) : key(key) {
  if (key.empty()) return;
  const auto* bytes = reinterpret_cast<const unsigned char*>(key.data());
  const std::size_t size = key.size();
  // A critical factorization: the later of the two maximal suffixes.
  const Suffix byLess = maximalSuffix(bytes, size, false);
  const Suffix byMore = maximalSuffix(bytes, size, true);
  const Suffix critical = byLess.start >= byMore.start ? byLess : byMore;
  split = critical.start;
  periodic = std::memcmp(bytes, bytes + critical.period, split) == 0;
  period = periodic ? critical.period : std::max(split, size - split) + 1;
  if (size >= kTableKey && size < kShortText) {
    skipFilled = true;
    skip.fill(static_cast<unsigned char>(size));
    for (std::size_t i = 0; i + 1 < size; ++i) {
      skip[bytes[i]] = static_cast<unsigned char>(size - 1 - i);
    }
  }
}

bool KeySearch::foundIn(std::string_view text) const {
  const std::size_t size = key.size();
  if (text.size() < size) return false;
  if (size == 0) return true;
  const auto* k = reinterpret_cast<const unsigned char*>(key.data());
  const auto* t = reinterpret_cast<const unsigned char*>(text.data());
  // The last place where key can start.
  const std::size_t last = text.size() - size;
  // under[j] is the byte under key's last one when key is tried at t + j.
  const unsigned char* under = t + size - 1;
  const unsigned char lastByte = k[size - 1];
  const bool byTable = skipFilled && text.size() < kShortText;
  // key is tried at t + j; no earlier place holds it.
  std::size_t j = 0;
  // key[0, known) is known to equal t[j, j + known).
  std::size_t known = 0;
  for (;;) {
    // With nothing known, pass over the places whose byte under key's last
    // one is not that byte, in work in proportion to the places passed.
    if (known == 0 && under[j] != lastByte) {
      if (byTable) {
        do {
          j += skip[under[j]];
          if (j > last) return false;
        } while (under[j] != lastByte);
      } else {
        const void* hit = std::memchr(under + j + 1, lastByte, last - j);
        if (hit == nullptr) return false;
        j = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - under);
      }
    }
    // The right half, left to right.
    std::size_t i = std::max(split, known);
    while (i < size && k[i] == t[j + i]) ++i;
    if (i < size) {
      j += i - split + 1;
      known = 0;
    } else {
      // The left half, right to left.
      std::size_t h = split;
      while (h > known && k[h - 1] == t[j + h - 1]) --h;
      if (h <= known) return true;
      j += period;
      known = periodic ? size - period : 0;
    }
    if (j > last) return false;
  }
}

}  // namespace scrivet
