#ifndef SCRIVET_LINE_INDEX_H_
#define SCRIVET_LINE_INDEX_H_

#include <cstddef>
#include <cstdint>

namespace scrivet {

struct Node;

// Finds the node at a line number in O(log n) expected time. The index is an
// order-statistic skip list whose bottom level is the document's own chain:
// above it stand up to kLevels levels of entries, each entry naming a node of
// the chain and how many lines it spans to the next entry on its level. The
// chain itself is neither read for its order nor changed here; the owner of
// the chain links and unlinks nodes and tells the index.
//
// Positions count from the sentinel, which stands at 0; line k is at k.
//
// Invariants, between operations:
//   - head[0..kLevels-1] are the sentinel's entries, one per level; every
//     level starts there.
//   - Level 0 holds an entry for the sentinel and for some lines; every
//     higher level holds an entry for some of the nodes of the level below,
//     and its down leads to the entry for the same node there. Along each
//     level, entries follow the document's order, each node at most once.
//   - An entry with a successor on its level spans the difference of their
//     positions; an entry without one spans 0.
//   - Every entry names a node of the chain, and the index owns its entries:
//     it releases them, without recursion, when it is destroyed.
//
// A node reaches level L + 1 with probability 1/4 once it is on level L, so
// the index holds about one entry for every three lines.
class LineIndex {
 public:
  explicit LineIndex(Node* sentinel);
  ~LineIndex();
  LineIndex(const LineIndex&) = delete;
  LineIndex& operator=(const LineIndex&) = delete;

  // Returns the node at position p, which must be at most the number of
  // lines, and remembers the way to it for a following linked() or
  // unlinked().
  Node* seek(std::size_t p);

  // Records that node has just been linked into the chain right after the
  // node that the last seek(p) returned: it is now line p + 1, and the lines
  // after it have moved down by one.
  void linked(Node* node);

  // Records that line p + 1, right after the node that the last seek(p)
  // returned, has just been unlinked from the chain; the lines after it have
  // moved up by one.
  void unlinked();

  // True when the invariants above hold for the chain that starts at
  // sentinel and holds count lines. Walks the whole chain and index. For
  // tests.
  bool consistentWith(const Node* sentinel, std::size_t count) const;

 private:
  static constexpr std::size_t kLevels = 16;  // 4^16 lines before levels run short

  struct Entry {
    Node* node = nullptr;   // the node this entry stands for
    Entry* next = nullptr;  // the following entry on this level
    Entry* down = nullptr;  // this node's entry on the level below; null on level 0
    std::size_t span = 0;   // lines from node to next's node; 0 without next
  };

  // How many levels a new line's entries take: 0 for three lines in four.
  std::size_t randomHeight();

  Entry head[kLevels];                                // the sentinel's entries
  Entry* path[kLevels] = {};                          // per level, the last entry passed by seek
  std::size_t pathPosition[kLevels] = {};             // the position of each path entry
  std::size_t seekPosition = 0;                       // the position the last seek reached
  std::uint64_t randomState = 0x9E3779B97F4A7C15ULL;  // for randomHeight
};

}  // namespace scrivet

#endif  // SCRIVET_LINE_INDEX_H_
