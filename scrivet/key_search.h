#ifndef SCRIVET_KEY_SEARCH_H_
#define SCRIVET_KEY_SEARCH_H_

#include <array>
#include <cstddef>
#include <string_view>

namespace scrivet {

// Answers, for any number of texts, whether one key occurs in them as a
// contiguous run of bytes. Any byte may appear in key and texts, NUL and
// 0x80-0xFF included; an empty key occurs in every text.
//
// The constructor prepares the key in time linear in its length. foundIn
// then takes time linear in the length of its text at worst, whatever the
// bytes (Crochemore and Perrin's two-way matching), uses constant extra
// space, and never allocates. While no byte of the key is known to match,
// it passes over the places that cannot hold the key in one of two ways:
// on short texts, with longer keys, by a table of how far the key may move
// for the byte under its last one; else by memchr for the key's last byte.
// Neither changes the linear bound: each passes over a place at most once.
//
// REQUIRES: the bytes that key views outlive the KeySearch.
class KeySearch {
 public:
  explicit KeySearch(std::string_view key);

  // Whether key occurs in text.
  bool foundIn(std::string_view text) const;

 private:
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
  // For each byte c, how far key may move when c lies under its last byte
  // and is not that byte: to the nearest c in key, or past it. Filled only
  // for the keys that foundIn moves with it (see key_search.cc).
  std::array<unsigned char, 256> skip{};
  // Whether skip is filled.
  bool skipFilled = false;
};

}  // namespace scrivet

#endif  // SCRIVET_KEY_SEARCH_H_
