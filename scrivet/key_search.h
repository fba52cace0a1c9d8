#ifndef SCRIVET_KEY_SEARCH_H_
#define SCRIVET_KEY_SEARCH_H_

#include <cstddef>
#include <string_view>

namespace scrivet {

// Answers, for any number of texts, whether one key occurs in them as a
// contiguous run of bytes. Any byte may appear in key and texts, NUL and
// 0x80-0xFF included; an empty key occurs in every text.
//
// The constructor prepares the key in time linear in its length. foundIn
// then takes time linear in the length of its text plus the key's at worst,
// whatever the bytes (Crochemore and Perrin's two-way matching), uses
// constant extra space, and never allocates.
//
// Two-way alone decides where the key occurs. In front of it stands a
// filter: while no byte of the key is known to match, foundIn passes over
// every place where the key's pair does not match: the two bytes of the
// key that are rarest in typical text (byte_ranks.h), at their places in
// the key. It compares the pair at 16 places at a time with the vector
// instructions that every processor of the architecture has (SSE2 on
// x86-64, NEON on AArch64); on other architectures, and on texts too short
// for a vector, it looks for the rarer byte with memchr and tests the
// other at each place memchr finds. The filter moves only forward and
// reads each place of the text a bounded number of times, so the linear
// bound holds whichever pair it is given and however the text defeats it.
//
// REQUIRES: the bytes that key views outlive the KeySearch.
class KeySearch {
 public:
  explicit KeySearch(std::string_view key);

  // Whether key occurs in text.
  bool foundIn(std::string_view text) const;

 private:
  // Two-way matching of key against the text t whose last place for key
  // is last, from the place j on, where the pair matches.
  bool matchFrom(const unsigned char* t, std::size_t last, std::size_t j) const;

  // The bytes looked for.
  std::string_view key;
  // A critical position: key[0, split) is the left half, key[split, size)
  // the right half.
  std::size_t split = 0;
  // How far key moves after its right half matched and its left half did
  // not.
  std::size_t period = 1;
  // Whether period is key's true period, so that the bytes that two tries
  // share are not compared twice.
  bool periodic = false;
  // The pair, for keys of two bytes or more: two different places of key.
  // key[rare] is the rarest byte of key; key[other] is the rarest byte of
  // key that differs from it, or, for a key made of one byte value, the
  // byte at the other end of key.
  std::size_t rare = 0;
  std::size_t other = 0;
};

}  // namespace scrivet

#endif  // SCRIVET_KEY_SEARCH_H_
