#include "key_search.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace scrivet {
namespace {

// Bytes of ordinary text, the commonest first. Only the speed of foundIn
// depends on it.
constexpr std::string_view kCommonFirst =
    " etaoinsrhldcumfpgwybvkxjqz0123456789\nETAOINSRHLDCUMFPGWYBVKXJQZ.,-_'\"()/:;=";

// For each byte, how rare it is likely to be in a text: higher is rarer;
// a byte not in kCommonFirst is rarer than any that is.
constexpr std::array<unsigned char, 256> rarityTable() {
  std::array<unsigned char, 256> rarity{};
  for (auto& r : rarity) r = static_cast<unsigned char>(kCommonFirst.size());
  for (std::size_t i = 0; i < kCommonFirst.size(); ++i) {
    rarity[static_cast<unsigned char>(kCommonFirst[i])] = static_cast<unsigned char>(i);
  }
  return rarity;
}
constexpr std::array<unsigned char, 256> kRarity = rarityTable();

// Texts shorter than kLongText are skipped through with the table skip when
// the key has at least kSkipKey bytes, and all others with memchr: few memchr
// calls pay for themselves on a long text, while on a short line a long key
// moves far with each table look-up.
constexpr std::size_t kLongText = 256;
constexpr std::size_t kSkipKey = 12;
static_assert(kLongText <= 256, "skip holds moves of at most 255");

// A suffix of the key.
struct Suffix {
  std::size_t start;   // where it begins in the key
  std::size_t period;  // its smallest period
};

// The number of leading bytes that a[0, n) and b[0, n) share.
std::size_t commonPrefix(const unsigned char* a, const unsigned char* b, std::size_t n) {
  constexpr std::size_t kBlock = 64;
  std::size_t same = 0;
  while (same < n && same < kBlock && a[same] == b[same]) ++same;
  if (same < kBlock) return same;
  while (n - same >= kBlock && std::memcmp(a + same, b + same, kBlock) == 0) same += kBlock;
  while (same < n && a[same] == b[same]) ++same;
  return same;
}

// The maximal suffix of key[0, size) (size at least 1) for the byte order <
// or, when reversed, for >, in time linear in size.
Suffix maximalSuffix(const unsigned char* key, std::size_t size, bool reversed) {
  std::size_t start = 0;   // the best suffix so far begins here
  std::size_t j = 0;       // a rival suffix begins at j + 1 ...
  std::size_t k = 1;       // ... and agrees with the best on k - 1 bytes
  std::size_t period = 1;  // key[start, j + k) has this period, and j + 1 - start
                           // is a multiple of it
  while (j + k < size) {
    const unsigned char rival = key[j + k];
    const unsigned char best = key[start + k - 1];
    if (rival == best) {
      // key[start, j + k] keeps the period: pass over every further byte
      // that does, at once.
      const std::size_t next = j + k + 1;
      const std::size_t end = next + commonPrefix(key + next, key + next - period, size - next);
      k = (end - start) % period + 1;
      j = end - k;
    } else if ((rival < best) != reversed) {
      j += k;
      k = 1;
      period = j + 1 - start;
    } else {
      start = j + 1;
      j = start;
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
  std::array<bool, 256> present{};
  for (std::size_t i = 0; i < size; ++i) present[bytes[i]] = true;
  unsigned char rarest = bytes[0];
  for (std::size_t c = 0; c < present.size(); ++c) {
    if (present[c] && kRarity[c] > kRarity[rarest]) rarest = static_cast<unsigned char>(c);
  }
  rare = static_cast<std::size_t>(
      static_cast<const unsigned char*>(std::memchr(bytes, rarest, size)) - bytes);
  if (size < kLongText) {  // skip serves only texts shorter than that
    skip.fill(static_cast<unsigned char>(size));
    for (std::size_t i = 0; i + 1 < size; ++i) {
      skip[bytes[i]] = static_cast<unsigned char>(size - 1 - i);
    }
  }
}

bool KeySearch::foundIn(std::string_view text) const {
  const std::size_t size = key.size();
  if (size == 0) return true;
  if (text.size() < size) return false;
  const auto* k = reinterpret_cast<const unsigned char*>(key.data());
  const auto* t = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t last = text.size() - size;  // the last place key can start
  std::size_t j = 0;                            // key is tried at t + j; no earlier place holds it
  std::size_t known = 0;                        // key[0, known) is known to equal t[j, j + known)
  for (;;) {
    // With nothing known, first pass over places that cannot hold key, by
    // one of two rules whose work is proportional to the places passed.
    if (known == 0) {
      if (text.size() < kLongText && size >= kSkipKey) {
        // The byte under key's last one moves key until a byte of key
        // lies under it.
        for (unsigned char end = t[j + size - 1]; end != k[size - 1]; end = t[j + size - 1]) {
          j += skip[end];
          if (j > last) return false;
        }
      } else if (t[j + rare] != k[rare]) {
        // The next place whose byte at rare matches, found by memchr.
        const void* hit = std::memchr(t + j + rare + 1, k[rare], last - j);
        if (hit == nullptr) return false;
        j = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - t) - rare;
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
