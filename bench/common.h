// What the benchmarks share: the texts of their documents, a stream that
// discards, a bare chain to measure the list against, and the one-line form
// of a target.
#ifndef SCRIVET_BENCH_COMMON_H_
#define SCRIVET_BENCH_COMMON_H_

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "scrivet/linked_list.h"

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

// The same nodes as the document's, linked at a tail pointer, with no
// index: the least that a line list costs, to measure the list
// against. Defined apart from its callers, as LinkedList's operations are
// from the command loop, so that the comparison is of the structures alone.
class BareChain {
 public:
  BareChain() = default;
  ~BareChain();
  BareChain(const BareChain&) = delete;
  BareChain& operator=(const BareChain&) = delete;

  void push(std::string text);

  // Lists the chain as LinkedList::print does.
  void print(std::ostream& out) const;

  // Searches as LinkedList::find does, with the same KeySearch.
  void find(std::string_view key, std::ostream& out) const;

  // Searches as LinkedList::find did before it had KeySearch:
  // std::string_view::find on every line.
  void scan(std::string_view key, std::ostream& out) const;

 private:
  // Writes every line for which contains(text) holds, numbered, or "not
  // found" when none does.
  template <typename Contains>
  void findWith(const Contains& contains, std::ostream& out) const;

  scrivet::Node head;           // the sentinel
  scrivet::Node* tail = &head;  // the last node
};

// Has the heap hand out memory in the order it is asked for, even after
// frees, and keep what is freed rather than give it back, so that every
// document a benchmark builds lies in memory as a fresh program's would.
// (glibc's fast bins hand freed nodes back last first: a document built
// just after another was destroyed lies backwards in memory and is walked
// several times slower.)
void heapInOrder();

// Prints a measured figure against the most it may be, and whether it is
// met, on one line that begins with "target".
void printTarget(std::ostream& out, const std::string& what, double value, double limit);

// The middle value; values must not be empty.
double median(std::vector<double> values);

}  // namespace bench

#endif  // SCRIVET_BENCH_COMMON_H_
