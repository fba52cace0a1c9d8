// The documents that the benchmarks time, built here whether they go to a
// LinkedList or to a session file for a whole program (scrivet_sessions),
// and what else the benchmarks share.
#ifndef SCRIVET_BENCH_WORKLOADS_H_
#define SCRIVET_BENCH_WORKLOADS_H_

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <random>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "scrivet/linked_list.h"

namespace bench {

// The index's block size in this build.
constexpr std::size_t kBlock = SCRIVET_INDEX_CAPACITY;
constexpr std::uint32_t kSeed = 20240607;

// The text of line i, 40 bytes for i below 10^7, with the tag "kNNN;",
// NNN = (i - 1) mod 1000, and no other "k": a tag is in 1 line in 1000.
// keyText(t) is the tag for NNN = t mod 1000.
std::string lineText(std::size_t i);
std::string keyText(std::uint32_t t);

// The search workloads, each a document and a key:
//   a  n lines of 44 bytes, and the 15-byte key that the middle one holds;
//   b  the same lines, and the 4-byte key k999 that 1 line in 1000 holds;
//   c  n / 2000 lines of 4 KiB, and a 15-byte key that the middle one holds;
//   d  the lines of a, each inserted at a line number drawn at random, so
//      that their nodes lie scattered on the heap, and the key of a.
// workloadText(w, i) is line i of workload w as appended (line i of d is
// line i of a); the workload of n lines has workloadLines(w, n) lines, and
// workloadKey(w, n) is its key.
std::string workloadText(char workload, std::size_t i);
std::string workloadKey(char workload, std::size_t n);
std::size_t workloadLines(char workload, std::size_t n);

// Builds workload w of n lines into document.
template <typename Document>
void buildWorkload(Document& document, char workload, std::size_t n) {
  std::mt19937 random(kSeed);
  const std::size_t lines = workloadLines(workload, n);
  for (std::size_t i = 1; i <= lines; ++i) {
    if (workload == 'd') {
      document.insert(static_cast<int>(1 + random() % i), workloadText(workload, i));
    } else {
      document.push(workloadText(workload, i));
    }
  }
}

// The edit patterns that would cost a careless index most. insertAt builds
// n lines of lineText by appending lines 1 to at - 1 and inserting every
// other line at line number at (0: appends them all): kBlock is on a block
// boundary, 1000 off one.
template <typename Document>
void insertAt(Document& document, std::size_t at, std::size_t n) {
  const std::size_t appends = at == 0 ? n : at - 1;
  for (std::size_t i = 1; i <= n; ++i) {
    if (i <= appends) {
      document.push(lineText(i));
    } else {
      document.insert(static_cast<int>(at), lineText(i));
    }
  }
}

// Of every group of lines of document, deletes all but the first keep.
// {1, 5} and {1, 3} leave a fifth and a third; {kBlock / 4, kBlock} and
// {(kBlock + 2) / 3, kBlock} leave each block a quarter and a third full,
// the least it holds before it merges.
template <typename Document>
void thin(Document& document, std::size_t keep, std::size_t group) {
  for (std::size_t at = 1; at + keep <= document.size(); at += keep) {
    for (std::size_t gone = keep; gone < group && at + keep <= document.size(); ++gone) {
      document.remove(static_cast<int>(at + keep));
    }
  }
}

struct Thinning {
  std::size_t keep, group;
};
constexpr Thinning kThinnings[] = {
    {1, 5}, {1, 3}, {kBlock / 4, kBlock}, {(kBlock + 2) / 3, kBlock}};

// A stream buffer that takes every byte and keeps none.
class NullBuffer : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char* /*bytes*/, std::streamsize n) override { return n; }
};

// Writes as LinkedList writes a listed line: number, blank, text, newline,
// flush. Kept out of line, as the list's is, so that every walk that
// writes lines has the same shape.
[[gnu::noinline]] void writeNumbered(std::ostream& out, std::size_t number, std::string_view text);

// Writes every line of the chain from first on for which contains(text)
// holds, numbered from 1, or "not found" when none does, as
// LinkedList::find writes them.
template <typename Contains>
void findIn(const scrivet::Node* first, const Contains& contains, std::ostream& out) {
  bool found = false;
  std::size_t number = 1;
  for (const scrivet::Node* node = first; node != nullptr; node = node->next, ++number) {
    if (contains(node->text)) {
      writeNumbered(out, number, node->text);
      found = true;
    }
  }
  if (!found) out << "not found" << std::endl;
}

// The same nodes as the document's, linked at a tail pointer, with no
// index: the least that a line list costs. Defined apart from its callers,
// as LinkedList is, so that a comparison is of the structures alone.
class BareChain {
 public:
  BareChain() = default;
  ~BareChain();
  BareChain(const BareChain&) = delete;
  BareChain& operator=(const BareChain&) = delete;

  // As LinkedList's; find with the same KeySearch, and scan as find was
  // before KeySearch: std::string_view::find on every line.
  void push(std::string text);
  void print(std::ostream& out) const;
  void find(std::string_view key, std::ostream& out) const;
  void scan(std::string_view key, std::ostream& out) const;

  // Line 1's node, null when there is none.
  const scrivet::Node* first() const { return head.next; }

 private:
  scrivet::Node head;           // the sentinel
  scrivet::Node* tail = &head;  // the last node
};

// Has the heap hand out memory in the order it is asked for, even after
// frees, so that every document a benchmark builds lies in memory as a
// fresh program's would (glibc's fast bins hand freed nodes back last
// first: a document built just after another was destroyed would lie
// backwards and be walked several times slower).
void heapInOrder();

// Prints a figure against the most it may be, and whether it is met.
void printTarget(std::ostream& out, const std::string& what, double value, double limit);

// The wall-clock seconds that work takes.
template <typename Work>
double secondsOf(const Work& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The middle value; values must not be empty.
double median(std::vector<double> values);

}  // namespace bench

#endif  // SCRIVET_BENCH_WORKLOADS_H_
