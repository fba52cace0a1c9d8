// KeySearch over the standard library's std::boyer_moore_searcher, for the
// benchmarks only: bench/CMakeLists.txt builds scrivet_std_search, scrivet
// with this in place of scrivet/key_search.h, so that bench/run.sh can time
// the program's own search against the standard one's. Unlike KeySearch,
// it does not find an empty key in an empty text.
#ifndef SCRIVET_BENCH_STD_SEARCH_KEY_SEARCH_H_
#define SCRIVET_BENCH_STD_SEARCH_KEY_SEARCH_H_

#include <algorithm>
#include <functional>
#include <string_view>

namespace scrivet {

class KeySearch {
 public:
  explicit KeySearch(std::string_view key) : searcher(key.begin(), key.end()) {}

  bool foundIn(std::string_view text) const {
    return std::search(text.begin(), text.end(), searcher) != text.end();
  }

 private:
  std::boyer_moore_searcher<std::string_view::const_iterator> searcher;
};

}  // namespace scrivet

#endif  // SCRIVET_BENCH_STD_SEARCH_KEY_SEARCH_H_
