#ifndef SCRIVET_LINE_INDEX_H_
#define SCRIVET_LINE_INDEX_H_

#include <cstddef>

// Test builds may shrink the blocks, so that small documents already reach
// every split and merge on several levels.
#ifndef SCRIVET_INDEX_CAPACITY
#define SCRIVET_INDEX_CAPACITY 64
#endif

namespace scrivet {

struct Node;

// Finds the node at a line number in O(log n) time, at worst. The index is a
// counted B+-tree over the document's chain: its leaves hold pointers to the
// chain's nodes in document order, and every inner block holds, for each of
// its children, how many nodes lie beneath it. The chain itself is neither
// read for its order nor changed here; its owner links and unlinks nodes and
// tells the index.
//
// Positions count from the sentinel, which stands at 0; line k is at k.
//
// Invariants, between operations:
//   - Reading the leaves left to right gives the sentinel, then lines 1 to n
//     of the chain, each once; total is n + 1.
//   - Every leaf lies height levels below root. A leaf holds 1 to
//     kCapacity nodes, an inner block 2 to kCapacity children.
//   - An inner block's lines[i] is the number of nodes in the leaves under
//     children[i].
//   - The index owns its blocks and releases them when it is destroyed.
// Removals merge or rebalance a block that falls below a quarter full, so
// the index costs about 8 to 32 bytes a line.
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
  static constexpr std::size_t kCapacity = SCRIVET_INDEX_CAPACITY;  // items in a block, at most
  static_assert(kCapacity >= 4, "blocks must hold at least 4 items");
  // A block splits only when full, and halves keep at least 2 items, so
  // 40 levels need over 2^40 lines.
  static constexpr std::size_t kMaxHeight = 40;

  struct Leaf {
    std::size_t size = 0;    // nodes in use
    Node* nodes[kCapacity];  // in document order
  };

  struct Inner {
    std::size_t size = 0;          // children in use
    std::size_t lines[kCapacity];  // nodes under each child
    void* children[kCapacity];     // Inner blocks, or Leaf blocks one level up from the leaves
  };

  // Walks from the root to position p, filling in the path.
  void descend(std::size_t p);

  // Puts child, holding lines nodes split off the end of the block at the
  // path on the level below, right after that block; splits full blocks on
  // the way up, and the root into a new root.
  void addChild(std::size_t level, void* child, std::size_t lines);

  // Merges or rebalances the underfull block at the path on the level below
  // level with a neighbour, and goes on up while a parent runs low in turn.
  void refill(std::size_t level);

  void* root;              // a Leaf when height is 0, else an Inner
  std::size_t height = 0;  // inner levels above the leaves
  std::size_t total = 0;   // nodes indexed: the lines and the sentinel

  // The way to the last position sought: on each inner level (0 just above
  // the leaves), the block passed and the child taken; then the leaf and
  // the slot in it.
  Inner* pathInner[kMaxHeight] = {};
  std::size_t pathSlot[kMaxHeight] = {};
  Leaf* pathLeaf = nullptr;
  std::size_t leafSlot = 0;
  std::size_t seekPosition = 0;  // the position of the last seek
};

}  // namespace scrivet

#endif  // SCRIVET_LINE_INDEX_H_
