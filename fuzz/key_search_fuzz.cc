// Feeds arbitrary bytes to the key search: the first byte says how many of
// the rest are the key (modulo their number plus one), the others are the
// text. KeySearch must agree with std::string_view::find, whatever the
// bytes and lengths, so that the fuzzer steers into the edges of the pair
// filter's vector code; any difference aborts, so libFuzzer keeps the input.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "scrivet/key_search.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string_view key = rest.substr(0, data[0] % (rest.size() + 1));
  const std::string_view text = rest.substr(key.size());
  const bool expected = text.find(key) != std::string_view::npos;
  if (scrivet::KeySearch(key).foundIn(text) != expected) {
    std::fprintf(stderr, "KeySearch and std::string_view::find disagree\n");
    std::abort();
  }
  return 0;
}
