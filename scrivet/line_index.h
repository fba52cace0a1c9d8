#ifndef SCRIVET_LINE_INDEX_H_
#define SCRIVET_LINE_INDEX_H_

#include <cstddef>
#include <cstdint>

#include "node.h"

// Test builds may shrink the blocks, so that small documents already reach
// every split and merge on several levels.
#ifndef SCRIVET_INDEX_CAPACITY
#define SCRIVET_INDEX_CAPACITY 64
#endif

namespace scrivet {

// Finds the node at a position of the document's chain in O(log n) time.
// Positions count from the sentinel, which stands at 0; line k stands at
// position k. The index is a counted B+-tree: its leaves hold pointers to
// the chain's nodes in document order, and an inner block holds, beside
// each child, the count of the nodes beneath that child. Going down from the
// root, a position is found by passing over the children whose counts it
// exceeds and subtracting them. With blocks of at most 4 items, the index of
// a chain of the sentinel S and lines 1 to 7 may be
//
//   root       [ 3 | 3 | 2 ]            the count of nodes beneath each child
//                /    |    \             and the children
//   leaves   [S 1 2]  [3 4 5]  [6 7]    pointers to the nodes, in order
//             | | |    | | |    | |
//   chain     S-1-2----3-4-5----6-7     the nodes, linked by next
//
// and line 5 is found in the second leaf, at slot 5 - 3 = 2. A slot is an
// item's place within one block; a position is a node's place in the chain.
//
// The index reads the chain only in consistentWith; its owner links and
// unlinks nodes and tells the index: of an insert or a remove in the same
// operation, through insert and remove; of nodes appended at the chain's
// end when it chooses, through append, one node at a time.
//
// Invariants, between operations:
//   - Reading the leaves left to right gives the sentinel, then lines 1 to
//     size() of the chain, each once. (The chain may go on beyond: its
//     owner decides when the index takes in more.)
//   - Every leaf lies height levels below the root.
//   - Every block holds at most kCapacity items. Every leaf holds at least
//     1 node, and every leaf but the last at least kMinItems, a third of
//     kCapacity; the root, when inner, holds at least 2 children, and every
//     other inner block at least kMinChildren.
//   - An inner block's counts[i] is the number of nodes beneath
//     children[i].
//   - The index owns its blocks and releases them when it is destroyed.
// Appends fill their leaves; a full leaf anywhere else splits in halves;
// a removal that leaves a block under a third full merges it with a
// neighbour or redistributes the two evenly. So, whatever the pattern of
// edits, every block but the root and the last leaf is at least a third
// full.
//
// The memory this bounds, at the default block size: a leaf takes 520
// bytes and holds at least 22 nodes, under 23.7 bytes a line; an inner
// block takes 1032 bytes and has at least 22 children, so the inner blocks
// just above the leaves take under 1032 / (22 * 22) < 2.2 bytes a line,
// and every level higher 22 times less. In all, at most 25.9 bytes a line,
// plus the root and the last leaf, which may be nearly empty: 1.6 KB. That
// is at most 32 bytes a line in a document of 300 lines or more, and at
// most 10 KB in a smaller one; while the document has never had kCapacity
// lines, the index is a single leaf of 520 bytes.
//
// Running out of memory: insert and append allocate every block they need
// before they change anything, so a std::bad_alloc from them leaves the
// index as it was. No other operation allocates, save the constructor and
// bytes() and consistentWith(), which are for tests and benchmarks.
class LineIndex {
 public:
  // Indexes a chain that holds the sentinel alone.
  explicit LineIndex(Node* sentinel);
  ~LineIndex();
  LineIndex(const LineIndex&) = delete;
  LineIndex& operator=(const LineIndex&) = delete;

  // The node at position. REQUIRES: position <= size().
  Node* nodeAt(std::size_t position) const;

  // Records node at position, 1 <= position <= size() + 1, so that the
  // nodes from there on move one position on; returns the node at
  // position - 1, after which the caller links node into the chain.
  Node* insert(std::size_t position, Node* node);

  // Records node after the last position, as insert(size() + 1, node) does,
  // but down the right edge, without reading any count.
  void append(Node* node);

  // Forgets the node at position, 1 <= position <= size(), so that the
  // nodes after it move one position back; returns the node at
  // position - 1, from which the caller unlinks it. Never throws.
  Node* remove(std::size_t position);

  // The number of lines indexed, at positions 1 to size().
  std::size_t size() const { return lines; }

  // The bytes the index's blocks take; walks the index. For benchmarks and
  // tests.
  std::size_t bytes() const;

  // True when the invariants above hold, size() is size, and the index
  // holds, in order, sentinel and the size nodes that follow it in the
  // chain. Walks the whole index. For tests.
  bool consistentWith(const Node* sentinel, std::size_t size) const;

 private:
  static constexpr std::size_t kCapacity = SCRIVET_INDEX_CAPACITY;
  static_assert(kCapacity >= 4, "blocks must hold at least 4 items");
  // The fewest items in a leaf but the last: a third of kCapacity.
  static constexpr std::size_t kMinItems = (kCapacity + 2) / 3;
  // The fewest children of an inner block but the root: as many as a leaf's
  // fewest items, which is at least 2.
  static constexpr std::size_t kMinChildren = kMinItems;
  static_assert(kMinChildren >= 2, "a split inner block must keep two children");
  // Every inner block but the root has at least two children, so 40 levels
  // would index over 2^40 lines.
  static constexpr std::size_t kMaxHeight = 40;

  // What every block starts with; an inner block points at its children's
  // headers.
  struct Block {
    // Items in use: the nodes of a leaf, the children of an inner block.
    std::uint32_t items = 0;
    // Whether the block is a Leaf; else it is an Inner.
    bool leaf;
  };

  struct Leaf {
    Block header{0, true};
    // The nodes, in document order.
    Node* nodes[kCapacity];
  };

  struct Inner {
    Block header{0, false};
    // counts[i] is the number of nodes beneath children[i].
    std::size_t counts[kCapacity];
    // All leaves, or all inner blocks.
    Block* children[kCapacity];
  };

  // The way from the root down to one position, for one operation: on each
  // inner level (0 just above the leaves), the block passed and the slot of
  // the child taken; then the leaf and the node's slot in it.
  struct Path {
    Inner* inner[kMaxHeight];
    std::size_t slot[kMaxHeight];
    Leaf* leaf;
    std::size_t leafSlot;
    // Whether leaf is the last leaf of the index.
    bool lastLeaf;
  };

  class NewBlocks;

  static Leaf* asLeaf(Block* block);
  static Inner* asInner(Block* block);
  static const Leaf* asLeaf(const Block* block);
  static const Inner* asInner(const Block* block);

  // Fills in the path to the node at position. REQUIRES: position <= size().
  void descend(std::size_t position, Path& path) const;

  // Puts node into the path's leaf, right after its slot; a full leaf
  // splits, and so does every full block above it.
  void insertIntoLeaf(Path& path, Node* node);

  // Puts child into path.inner[level], just after the block that the path
  // passes through one level lower, which child was split off: child holds
  // the last count nodes that block held. A full path.inner[level] splits
  // in turn, its new right half going into the level above in the same
  // way, and when the root splits, a new root grows above it.
  void insertChild(Path& path, std::size_t level, Block* child, std::size_t count,
                   NewBlocks& blocks);

  // Rebalances the child of path.inner[level] that the path passes through,
  // which has fallen under its fewest items, with a neighbour: merges the
  // two, or redistributes their items evenly. Goes on up while
  // path.inner[level] falls under its fewest in turn, and when the root is
  // left with one child, that child becomes the root.
  void rebalance(Path& path, std::size_t level);

  // Counts one node more, when added, or one fewer beneath every block on
  // path and in the index.
  void countChange(const Path& path, bool added);

  // Releases block, of either kind.
  static void release(Block* block);

  // A leaf while height is 0.
  Block* root;
  // The inner levels above the leaves.
  std::size_t height = 0;
  // The lines indexed, the sentinel not counted.
  std::size_t lines = 0;
};

}  // namespace scrivet

#endif  // SCRIVET_LINE_INDEX_H_
