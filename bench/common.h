// What the benchmarks share: the texts of their documents, a stream that
// discards, and the one-line form of a target.
#ifndef SCRIVET_BENCH_COMMON_H_
#define SCRIVET_BENCH_COMMON_H_

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

namespace bench {

// The text of line i, 40 bytes for i below 10^7. It carries the tag
// "kNNN;" with NNN = (i - 1) mod 1000, and nothing else in it holds a "k",
// so the tag of one line is in exactly one line of every 1000.
std::string lineText(std::size_t i);

// The key of tag t mod 1000, as lineText writes it.
std::string keyText(std::uint32_t t);

// A stream buffer that accepts every byte and keeps none, so that its
// stream never fails.
class NullBuffer : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char* /*bytes*/, std::streamsize n) override { return n; }
};

// Prints a measured figure against the most it may be, and whether it is
// met, on one line that begins with "target".
void printTarget(std::ostream& out, const std::string& what, double value, double limit);

// The middle value; values must not be empty.
double median(std::vector<double> values);

}  // namespace bench

#endif  // SCRIVET_BENCH_COMMON_H_
