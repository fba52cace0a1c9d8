#include "bench/common.h"

#include <algorithm>
#include <cstdio>

namespace bench {

std::string lineText(std::size_t i) {
  char text[64];
  std::snprintf(text, sizeof text, "line %07zu k%03zu; the quick brown foxes", i, (i - 1) % 1000);
  return text;
}

std::string keyText(std::uint32_t t) {
  char key[16];
  std::snprintf(key, sizeof key, "k%03u;", static_cast<unsigned>(t % 1000));
  return key;
}

void printTarget(std::ostream& out, const std::string& what, double value, double limit) {
  char line[160];
  std::snprintf(line, sizeof line, "target  %-60s %8.2f  (at most %.2f)  %s\n", what.c_str(), value,
                limit, value <= limit ? "met" : "NOT MET");
  out << line << std::flush;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace bench
