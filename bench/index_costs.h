// What the line index costs on top of a plain chain, reported after the
// microbenchmarks' table.
#ifndef SCRIVET_BENCH_INDEX_COSTS_H_
#define SCRIVET_BENCH_INDEX_COSTS_H_

#include <cstddef>
#include <ostream>
#include <streambuf>
#include <string>

namespace bench {

// The text of line i, 40 bytes for i below 10^7. It carries the tag
// "kNNN;" with NNN = (i - 1) mod 1000, and nothing else in it holds a "k",
// so the tag of one line is in exactly one line of every 1000.
std::string lineText(std::size_t i);

// A stream buffer that accepts every byte and keeps none, so that its
// stream never fails.
class NullBuffer : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char* /*bytes*/, std::streamsize n) override { return n; }
};

// The index's bytes per line after documents are built by appends, by
// inserts at one line number (on a block boundary, off it, at line 1),
// and after 4 lines of every 5 are deleted; each against its target.
void reportIndexBytes(std::ostream& out);

// Appending, listing and searching a LinkedList against a bare chain of the
// same nodes and texts, interleaved, medians of 11 runs; each against its
// target.
void compareWithBareChain(std::ostream& out);

// Prints a measured figure against the most it may be, and whether it is
// met, on one line that begins with "target".
void printTarget(std::ostream& out, const char* what, double value, double limit);

}  // namespace bench

#endif  // SCRIVET_BENCH_INDEX_COSTS_H_
