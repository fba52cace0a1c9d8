#ifndef SCRIVET_LINE_INDEX_H_
#define SCRIVET_LINE_INDEX_H_

#include <cstddef>
#include <cstdint>

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
// read nor changed here: its owner links and unlinks nodes, and tells the
// index in the same operation, through insert, append and remove.
//
// Positions count from the sentinel, which stands at 0; line k is at k.
//
// Invariants, between operations:
//   - Reading the leaves left to right gives the sentinel, then lines 1 to n
//     of the chain, each once; size() is n + 1. (The chain may go on beyond
//     line n: its owner decides when the index takes in more.)
//   - Every leaf lies height levels below the root.
//   - Every leaf holds 1 to kCapacity nodes, and every leaf but the last at
//     least kMinFill, a third of kCapacity. Every inner block holds at most
//     kCapacity children: the root at least 2, every other at least
//     kMinChildren.
//   - An inner block's lines[i] is the number of nodes under children[i].
//   - The index owns its blocks and releases them when it is destroyed.
// So, whatever the pattern of edits, the index costs at most 32 bytes a line
// (at the default block size, a leaf of 520 bytes holds at least 22 lines,
// and the inner blocks add about 2 bytes a line): appends fill their
// leaves, a full leaf anywhere else splits in halves, and a removal that
// leaves a block under a third full merges it with a neighbour or evens the
// two out.
//
// Running out of memory: insert and append allocate every block they need
// before they change anything, so a std::bad_alloc from them leaves the
// index as it was. Nothing else allocates, save the constructor.
class LineIndex {
 public:
  // Indexes a chain that holds the sentinel alone.
  explicit LineIndex(Node* sentinel);
  ~LineIndex();
  LineIndex(const LineIndex&) = delete;
  LineIndex& operator=(const LineIndex&) = delete;

  // The node at position p. REQUIRES: p < size().
  Node* at(std::size_t p) const;

  // Records node at position p, 1 <= p <= size(), so that the nodes from p
  // on move one position on; returns the node at p - 1, after which the
  // caller links node into the chain. O(log n).
  Node* insert(std::size_t p, Node* node);

  // Records node after the last position, as insert(size(), node) does,
  // but down the right edge, without reading any count.
  void append(Node* node);

  // Forgets the node at position p, 1 <= p < size(), so that the nodes after
  // it move one position back; returns the node at p - 1, from which the
  // caller unlinks it. O(log n); never throws.
  Node* remove(std::size_t p);

  // The number of nodes indexed: the lines and the sentinel.
  std::size_t size() const { return total; }

  // The bytes the index's blocks take; walks the index. For benchmarks and
  // tests.
  std::size_t bytes() const;

  // True when the invariants above hold, and the index holds, in order,
  // sentinel and the count nodes that follow it in the chain. Walks the
  // whole index. For tests.
  bool consistentWith(const Node* sentinel, std::size_t count) const;

 private:
  static constexpr std::size_t kCapacity = SCRIVET_INDEX_CAPACITY;  // items in a block, at most
  static_assert(kCapacity >= 4, "blocks must hold at least 4 items");
  static constexpr std::size_t kMinFill = (kCapacity + 2) / 3;  // least items in most blocks
  static constexpr std::size_t kMinChildren = kMinFill < 2 ? 2 : kMinFill;  // of an inner block
  // Every inner block but the root has at least two children, so 40 levels
  // would index over 2^40 lines.
  static constexpr std::size_t kMaxHeight = 40;

  // What every block starts with. Inner blocks point at their children's
  // headers; leaf says which kind of block holds it.
  struct Block {
    std::uint32_t size = 0;  // items in use: nodes of a leaf, children of an inner block
    bool leaf;               // a Leaf, else an Inner
  };

  struct Leaf {
    Block header{0, true};
    Node* nodes[kCapacity];  // in document order
  };

  struct Inner {
    Block header{0, false};
    std::size_t lines[kCapacity];  // nodes under each child
    Block* children[kCapacity];    // all leaves, or all inner blocks
  };

  // The way from the root down to one position: on each inner level (0 just
  // above the leaves) the block passed and the child taken, then the leaf
  // and the slot in it. Lives for one operation.
  struct Path {
    Inner* inner[kMaxHeight];
    std::size_t slot[kMaxHeight];
    Leaf* leaf;
    std::size_t at;  // the slot in leaf
    bool lastLeaf;   // leaf is the last one of the document
  };

  class Spares;

  static Leaf* asLeaf(Block* block);
  static Inner* asInner(Block* block);
  static const Leaf* asLeaf(const Block* block);
  static const Inner* asInner(const Block* block);

  // Fills in the way to position p. REQUIRES: p < size().
  void descend(std::size_t p, Path& path) const;

  // Puts node into the leaf of path right after its slot, splitting blocks
  // that are full on the way up.
  void place(Path& path, Node* node);

  // Puts child, which holds lines nodes split off the end of the block
  // at the path on the level below, right after that block; splits full
  // blocks on the way up, and the root into a new root.
  void addChild(Path& path, std::size_t level, Block* child, std::size_t lines, Spares& spares);

  // Merges or evens out the underfull block at the path on the level below
  // level with a neighbour, and goes on up while a parent runs low in turn.
  void refill(Path& path, std::size_t level);

  // Records one more node under every block on path.
  void countAdded(const Path& path);

  // Releases block, of either kind.
  static void release(Block* block);

  Block* root;             // a leaf when height is 0
  std::size_t height = 0;  // inner levels above the leaves
  std::size_t total = 1;   // nodes indexed: the lines and the sentinel
};

}  // namespace scrivet

#endif  // SCRIVET_LINE_INDEX_H_
