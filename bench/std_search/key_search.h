// KeySearch over std::boyer_moore_searcher, for scrivet_std_search, the
// program that bench/programs.sh races scrivet against. Unlike KeySearch,
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
