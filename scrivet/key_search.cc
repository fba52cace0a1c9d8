#include "key_search.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstring>

// The pair is compared at many places at once with the vector instructions
// that every processor of the architecture has; elsewhere, memchr alone
// passes over the text.
#if defined(__SSE2__)
#include <emmintrin.h>
#define SCRIVET_PAIR_VECTORS 1
#elif defined(__aarch64__) && defined(__ARM_NEON)
#include <arm_neon.h>
#define SCRIVET_PAIR_VECTORS 1
#endif

#include "byte_ranks.h"

namespace scrivet {
namespace {

#ifdef SCRIVET_PAIR_VECTORS
// The places that one vector compares, and the bits of a mask that each
// takes.
constexpr std::size_t kVector = 16;
#if defined(__SSE2__)
constexpr std::size_t kBitsPerPlace = 1;
#else
constexpr std::size_t kBitsPerPlace = 4;
#endif
// The places that one mask holds: kLongBlock where the text goes on at
// least that far, so that a long line is passed over in few steps (a speed
// trick of "Speed tricks" in docs/performance.md, for lines of kilobytes),
// else kBlock, in one or two vectors, so that a short line is not compared
// twice over.
constexpr std::size_t kLongBlock = 64 / kBitsPerPlace;
constexpr std::size_t kBlock = kBitsPerPlace == 1 ? 2 * kVector : kVector;
static_assert(kLongBlock % kVector == 0 && kBlock % kVector == 0, "blocks of whole vectors");
#endif

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

#ifdef SCRIVET_PAIR_VECTORS
// For the kVector places p, p + 1, ... of a text t, kBitsPerPlace bits
// each, the lowest for p: all set where t[p + i + rare] == rareByte and
// t[p + i + other] == otherByte, clear elsewhere.
// REQUIRES: t[p + max(rare, other) + kVector - 1] lies in the text.
inline std::uint64_t pairMask(const unsigned char* at, std::size_t rare, std::size_t other,
                              unsigned char rareByte, unsigned char otherByte) {
#if defined(__SSE2__)
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + rare));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + other));
  // Each byte spread to a vector's lanes from a 32-bit register, rather
  // than as _mm_set1_epi8 may spread it, through memory.
  const auto spread = [](unsigned char c) {
    return _mm_set1_epi32(static_cast<int>(c * 0x01010101u));
  };
  const __m128i both =
      _mm_and_si128(_mm_cmpeq_epi8(a, spread(rareByte)), _mm_cmpeq_epi8(b, spread(otherByte)));
  return static_cast<std::uint32_t>(_mm_movemask_epi8(both));
#else
  const uint8x16_t both = vandq_u8(vceqq_u8(vld1q_u8(at + rare), vdupq_n_u8(rareByte)),
                                   vceqq_u8(vld1q_u8(at + other), vdupq_n_u8(otherByte)));
  // Each place's 8 bits narrowed to 4, 16 places to 64 bits.
  return vget_lane_u64(vreinterpret_u64_u8(vshrn_n_u16(vreinterpretq_u16_u8(both), 4)), 0);
#endif
}
#endif

// The places of a text at which the key's pair matches, found in order.
// REQUIRES: the key has two bytes or more; last + size is the text's length.
class PairMatches {
 public:
  PairMatches(const unsigned char* t, std::size_t last, const unsigned char* k, std::size_t rare,
              std::size_t other)
      : t(t), last(last), rare(rare), other(other), rareByte(k[rare]), otherByte(k[other]) {}

  // Moves j to the first place at j or after it where the pair matches;
  // false when there is none up to last. Each call reads the places from j
  // on only as far as the one it returns, or a vector's width beyond.
  bool next(std::size_t& j) {
#ifdef SCRIVET_PAIR_VECTORS
    if (last >= kVector - 1) {
      for (;;) {
        if (j >= blockEnd) {
          if (j > last) return false;
          load(j);
        }
        mask &= ~std::uint64_t{0} << ((j - blockStart) * kBitsPerPlace);
        if (mask != 0) {
          j = blockStart + static_cast<std::size_t>(__builtin_ctzll(mask)) / kBitsPerPlace;
          return true;
        }
        j = blockEnd;
      }
    }
#endif
    while (j <= last) {
      const void* hit = std::memchr(t + j + rare, rareByte, last - j + 1);
      if (hit == nullptr) return false;
      j = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - t) - rare;
      if (t[j + other] == otherByte) return true;
      ++j;
    }
    return false;
  }

 private:
#ifdef SCRIVET_PAIR_VECTORS
  // Compares the pair at the kLongBlock places from j on, or, near the end
  // of the text, at the last kBlock places, or at all places of a text
  // with fewer.
  void load(std::size_t j) {
    const auto vectors = [&](std::size_t start, std::size_t places) {
      blockStart = start;
      blockEnd = start + places;
      mask = 0;
      for (std::size_t v = 0; v < places; v += kVector) {
        mask |= pairMask(t + start + v, rare, other, rareByte, otherByte) << (v * kBitsPerPlace);
      }
    };
    if (last - j >= kLongBlock - 1) {
      vectors(j, kLongBlock);
    } else if (last >= kBlock - 1) {
      vectors(std::min(j, last - (kBlock - 1)), kBlock);
    } else {
      // Places 0 to last, fewer than kBlock but at least kVector: the
      // first kVector and the last kVector, which overlap.
      const std::size_t end = last + 1 - kVector;
      blockStart = 0;
      blockEnd = last + 1;
      mask = pairMask(t, rare, other, rareByte, otherByte) |
             pairMask(t + end, rare, other, rareByte, otherByte) << (end * kBitsPerPlace);
    }
  }
#endif

  const unsigned char* t;   // the text
  std::size_t last;         // the last place where the key can start
  std::size_t rare, other;  // the pair's places in the key
  unsigned char rareByte, otherByte;
  // The places blockStart to blockEnd - 1 were last compared, and mask
  // holds what they gave, less the places already passed.
  std::size_t blockStart = 0;
  std::size_t blockEnd = 0;
  std::uint64_t mask = 0;
};

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
  // The pair: the rarest byte, then the rarest byte that differs from it.
  const auto rank = [&](std::size_t i) { return kByteRank[bytes[i]]; };
  for (std::size_t i = 1; i < size; ++i) {
    if (rank(i) < rank(rare)) rare = i;
  }
  other = rare == size - 1 ? 0 : size - 1;
  for (std::size_t i = 0; i < size; ++i) {
    if (bytes[i] != bytes[rare] && (bytes[other] == bytes[rare] || rank(i) < rank(other))) {
      other = i;
    }
  }
  assert(size == 1 || rare != other);
}

bool KeySearch::foundIn(std::string_view text) const {
  const std::size_t size = key.size();
  if (text.size() < size) return false;
  if (size == 0) return true;
  const auto* k = reinterpret_cast<const unsigned char*>(key.data());
  const auto* t = reinterpret_cast<const unsigned char*>(text.data());
  if (size == 1) return std::memchr(t, k[0], text.size()) != nullptr;
  // The last place where key can start.
  const std::size_t last = text.size() - size;
  // Most texts hold no place where the pair matches: they are answered
  // here, by the filter alone, and only the others reach two-way.
  std::size_t j = 0;
  return PairMatches(t, last, k, rare, other).next(j) && matchFrom(t, last, j);
}

bool KeySearch::matchFrom(const unsigned char* t, std::size_t last, std::size_t j) const {
  const std::size_t size = key.size();
  const auto* k = reinterpret_cast<const unsigned char*>(key.data());
  PairMatches pair(t, last, k, rare, other);
  // key[0, known) is known to equal t[j, j + known).
  std::size_t known = 0;
  for (;;) {
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
    // With nothing known, pass over the places where the pair does not
    // match: none of them holds key.
    if (known == 0 && !pair.next(j)) return false;
  }
}

}  // namespace scrivet
