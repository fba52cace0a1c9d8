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
// space, and never allocates.
//
// REQUIRES: the bytes that key views outlive the KeySearch.
class KeySearch {
 public:
  explicit KeySearch(std::string_view key);

  // Whether key occurs in text.
  bool foundIn(std::string_view text) const;

 private:
  std::string_view key;                   // the bytes looked for
  std::size_t split = 0;                  // a critical position: key[0, split) is the left
                                          // half, key[split, size) the right half
  std::size_t period = 1;                 // how far to move after the right half matched
                                          // and the left half did not
  bool periodic = false;                  // whether period is key's true period, so that
                                          // the prefix shared by two tries is not
                                          // compared twice
  std::size_t rare = 0;                   // the position of the key byte least likely in
                                          // a text, looked for with memchr in long texts
  std::array<unsigned char, 256> skip{};  // for each byte c, how far key may
                                          // move when c lies under its last
                                          // byte and is not that byte: to the
                                          // nearest c in key (keys of at
                                          // most 255 bytes)
};

}  // namespace scrivet

#endif  // SCRIVET_KEY_SEARCH_H_
