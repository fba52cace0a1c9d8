// What the line index costs on top of a plain chain, reported after the
// microbenchmarks' table.
#ifndef SCRIVET_BENCH_INDEX_COSTS_H_
#define SCRIVET_BENCH_INDEX_COSTS_H_

#include <ostream>

namespace bench {

// The index's bytes per line after documents are built by appends, by
// inserts at one line number (on a block boundary, off it, at line 1),
// and after 4 lines of every 5 are deleted; each against its target.
void reportIndexBytes(std::ostream& out);

// Appending, listing and searching a LinkedList against a bare chain of the
// same nodes and texts, interleaved, medians of 11 runs; each against its
// target.
void compareWithBareChain(std::ostream& out);

}  // namespace bench

#endif  // SCRIVET_BENCH_INDEX_COSTS_H_
