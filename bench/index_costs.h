// What the line index costs on top of a plain chain, reported after the
// microbenchmarks' table.
#ifndef SCRIVET_BENCH_INDEX_COSTS_H_
#define SCRIVET_BENCH_INDEX_COSTS_H_

#include <ostream>

namespace bench {

// The index's bytes per line after documents are built by appends, by
// inserts at one line number (on a block boundary, off it, at line 1), and
// after some lines of every group are deleted; then the most over smaller
// documents built the same ways. Each against its target.
void reportIndexBytes(std::ostream& out);

// The time of the first edit after 10^6 appends, which has the index take
// them all in.
void reportCatchUp(std::ostream& out);

// Appending, listing and searching a LinkedList against a bare chain of the
// same nodes and texts, interleaved, medians of 11 runs; each against its
// target.
void compareWithBareChain(std::ostream& out);

}  // namespace bench

#endif  // SCRIVET_BENCH_INDEX_COSTS_H_
