#include "line_index.h"

#include <algorithm>
#include <cassert>
#include <memory>
#include <numeric>
#include <utility>
#include <vector>

namespace scrivet {
namespace {

// Inserts value at slot of the first items of array.
template <typename T>
void insertAt(T* array, std::size_t items, std::size_t slot, T value) {
  std::copy_backward(array + slot, array + items, array + items + 1);
  array[slot] = value;
}

// Removes the item at slot of the first items of array.
template <typename T>
void eraseAt(T* array, std::size_t items, std::size_t slot) {
  std::copy(array + slot + 1, array + items, array + slot);
}

// Asks the processor to start loading the memory at address, where the
// compiler offers a way; a hint that changes nothing else, whatever the
// address.
void prefetch(const void* address) {
#if defined(__GNUC__)
  __builtin_prefetch(address);
#else
  static_cast<void>(address);
#endif
}

// Moves items between the arrays of two neighbouring blocks, a (aItems
// items) and b (bItems items), keeping their order, so that a holds the
// first keep of them and b the rest. With keep == aItems + bItems it is a
// merge into a.
template <typename T>
void redistribute(T* a, std::size_t aItems, T* b, std::size_t bItems, std::size_t keep) {
  if (aItems < keep) {
    const std::size_t moved = keep - aItems;
    std::copy(b, b + moved, a + aItems);
    std::copy(b + moved, b + bItems, b);
  } else {
    const std::size_t moved = aItems - keep;
    std::copy_backward(b, b + bItems, b + bItems + moved);
    std::copy(a + keep, a + aItems, b);
  }
}

}  // namespace

// The blocks that one insertion may need, allocated before it changes
// anything: a leaf, and as many inner blocks as it will split or grow.
class LineIndex::NewBlocks {
 public:
  explicit NewBlocks(std::size_t innerBlocks)
      : leafBlock(std::make_unique<Leaf>()), innerLeft(innerBlocks) {
    for (std::size_t i = 0; i < innerLeft; ++i) innerBlock[i] = std::make_unique<Inner>();
  }

  Leaf* leaf() { return leafBlock.release(); }

  Inner* inner() {
    assert(innerLeft > 0);
    return innerBlock[--innerLeft].release();
  }

 private:
  std::unique_ptr<Leaf> leafBlock;
  std::unique_ptr<Inner> innerBlock[kMaxHeight + 1];
  // The inner blocks not yet handed out.
  std::size_t innerLeft;
};

LineIndex::LineIndex(Node* sentinel) {
  auto* leaf = new Leaf;
  leaf->nodes[0] = sentinel;
  leaf->header.items = 1;
  root = &leaf->header;
}

LineIndex::~LineIndex() {
  // Depth first, without recursion: a path serves as the stack, with the
  // block being emptied on each level and the slot of its next child.
  if (height == 0) {
    release(root);
    return;
  }
  Path path;
  std::size_t level = height - 1;
  path.inner[level] = asInner(root);
  path.slot[level] = 0;
  for (;;) {
    Inner* inner = path.inner[level];
    if (path.slot[level] == inner->header.items) {
      release(&inner->header);
      if (++level == height) return;
      continue;
    }
    Block* child = inner->children[path.slot[level]++];
    if (level == 0) {
      release(child);
    } else {
      --level;
      path.inner[level] = asInner(child);
      path.slot[level] = 0;
    }
  }
}

LineIndex::Leaf* LineIndex::asLeaf(Block* block) {
  assert(block->leaf);
  return reinterpret_cast<Leaf*>(block);  // the header is a Leaf's first member
}

LineIndex::Inner* LineIndex::asInner(Block* block) {
  assert(!block->leaf);
  return reinterpret_cast<Inner*>(block);  // the header is an Inner's first member
}

const LineIndex::Leaf* LineIndex::asLeaf(const Block* block) {
  assert(block->leaf);
  return reinterpret_cast<const Leaf*>(block);
}

const LineIndex::Inner* LineIndex::asInner(const Block* block) {
  assert(!block->leaf);
  return reinterpret_cast<const Inner*>(block);
}

void LineIndex::release(Block* block) {
  if (block->leaf) {
    delete asLeaf(block);
  } else {
    delete asInner(block);
  }
}

void LineIndex::descend(std::size_t position, Path& path) const {
  assert(position <= lines);
  Block* block = root;
  bool last = true;
  for (std::size_t level = height; level-- > 0;) {
    Inner* inner = asInner(block);
    std::size_t slot = 0;
    while (position >= inner->counts[slot]) position -= inner->counts[slot++];
    assert(slot < inner->header.items);
    path.inner[level] = inner;
    path.slot[level] = slot;
    last = last && slot + 1 == inner->header.items;
    block = inner->children[slot];
  }
  path.leaf = asLeaf(block);
  path.leafSlot = position;
  path.lastLeaf = last;
}

Node* LineIndex::nodeAt(std::size_t position) const {
  Path path;
  descend(position, path);
  return path.leaf->nodes[path.leafSlot];
}

Node* LineIndex::insert(std::size_t position, Node* node) {
  assert(position >= 1 && position <= lines + 1);
  Path path;
  descend(position - 1, path);
  Node* before = path.leaf->nodes[path.leafSlot];
  insertIntoLeaf(path, node);
  return before;
}

void LineIndex::append(Node* node) {
  // Down the right edge: the last child on every level, no counts to read.
  Path path;
  Block* block = root;
  for (std::size_t level = height; level-- > 0;) {
    Inner* inner = asInner(block);
    path.inner[level] = inner;
    path.slot[level] = inner->header.items - 1;
    block = inner->children[path.slot[level]];
  }
  path.leaf = asLeaf(block);
  path.leafSlot = path.leaf->header.items - 1;
  path.lastLeaf = true;
  insertIntoLeaf(path, node);
}

void LineIndex::countChange(const Path& path, bool added) {
  for (std::size_t level = 0; level < height; ++level) {
    std::size_t& count = path.inner[level]->counts[path.slot[level]];
    if (added) {
      ++count;
    } else {
      --count;
    }
  }
  if (added) {
    ++lines;
  } else {
    --lines;
  }
}

void LineIndex::insertIntoLeaf(Path& path, Node* node) {
  Leaf* leaf = path.leaf;
  const std::size_t slot = path.leafSlot + 1;
  if (leaf->header.items < kCapacity) {
    insertAt(leaf->nodes, leaf->header.items++, slot, node);
    countChange(path, true);
    return;
  }
  // The leaf splits, and so does every full inner block above it; when they
  // all do, a new root grows. Allocate those blocks first.
  std::size_t full = 0;
  while (full < height && path.inner[full]->header.items == kCapacity) ++full;
  NewBlocks blocks(full == height ? full + 1 : full);
  // At the end of the index a new leaf starts with the node alone, so that
  // appends fill their leaves; anywhere else the leaf splits in halves.
  const bool atEnd = path.lastLeaf && slot == kCapacity;
  const std::size_t keep = atEnd ? kCapacity : kCapacity / 2;
  Leaf* right = blocks.leaf();
  std::copy(leaf->nodes + keep, leaf->nodes + kCapacity, right->nodes);
  right->header.items = static_cast<std::uint32_t>(kCapacity - keep);
  leaf->header.items = static_cast<std::uint32_t>(keep);
  if (slot > keep || atEnd) {
    insertAt(right->nodes, right->header.items++, slot - keep, node);
  } else {
    insertAt(leaf->nodes, leaf->header.items++, slot, node);
  }
  countChange(path, true);
  insertChild(path, 0, &right->header, right->header.items, blocks);
}

void LineIndex::insertChild(Path& path, std::size_t level, Block* child, std::size_t count,
                            NewBlocks& blocks) {
  for (; level < height; ++level) {
    // child goes in just after the block it was split from. The count of
    // that block already takes in the new node (insertIntoLeaf counted it
    // along the whole path, wherever it landed), so it gives up to child
    // exactly the count nodes that now lie beneath child.
    Inner* parent = path.inner[level];
    const std::size_t slot = path.slot[level] + 1;
    parent->counts[slot - 1] -= count;
    if (parent->header.items < kCapacity) {
      insertAt(parent->counts, parent->header.items, slot, count);
      insertAt(parent->children, parent->header.items++, slot, child);
      return;
    }
    // Inner blocks always split in halves, so that every one but the root
    // keeps at least kMinChildren children.
    constexpr std::size_t keep = kCapacity / 2;
    Inner* right = blocks.inner();
    std::copy(parent->counts + keep, parent->counts + kCapacity, right->counts);
    std::copy(parent->children + keep, parent->children + kCapacity, right->children);
    right->header.items = static_cast<std::uint32_t>(kCapacity - keep);
    parent->header.items = static_cast<std::uint32_t>(keep);
    Inner* target = slot > keep ? right : parent;
    const std::size_t targetSlot = slot > keep ? slot - keep : slot;
    insertAt(target->counts, target->header.items, targetSlot, count);
    insertAt(target->children, target->header.items++, targetSlot, child);
    // Now the new right half goes in after parent, one level up.
    child = &right->header;
    count = std::accumulate(right->counts, right->counts + right->header.items, std::size_t{0});
  }
  // The root split: a new root grows above it. The old root keeps every
  // node, the sentinel and the new node included (lines + 1), but the
  // count nodes beneath child.
  assert(height + 1 < kMaxHeight);
  Inner* top = blocks.inner();
  top->children[0] = root;
  top->counts[0] = lines + 1 - count;
  top->children[1] = child;
  top->counts[1] = count;
  top->header.items = 2;
  root = &top->header;
  ++height;
}

Node* LineIndex::remove(std::size_t position) {
  assert(position >= 1 && position <= lines);
  Path path;
  descend(position - 1, path);
  Node* before = path.leaf->nodes[path.leafSlot];
  // The node at position is mostly in the same leaf as the one before it.
  if (path.leafSlot + 1 < path.leaf->header.items) {
    ++path.leafSlot;
  } else {
    descend(position, path);
  }
  // The caller reads the removed node next, to unlink it: start loading it
  // now, so that fetching a node that lies far from the last one read
  // overlaps the index's own work. A speed trick for deletes at scattered
  // line numbers; see "Speed tricks" in docs/performance.md.
  prefetch(path.leaf->nodes[path.leafSlot]);
  countChange(path, false);
  Leaf* leaf = path.leaf;
  eraseAt(leaf->nodes, leaf->header.items--, path.leafSlot);
  if (height > 0 && leaf->header.items < kMinItems) rebalance(path, 0);
  return before;
}

void LineIndex::rebalance(Path& path, std::size_t level) {
  for (;; ++level) {
    Inner* parent = path.inner[level];
    // The block that fell short and a neighbour: a in the left slot, b in
    // the right one.
    const std::size_t leftSlot = path.slot[level] > 0 ? path.slot[level] - 1 : 0;
    const std::size_t rightSlot = leftSlot + 1;
    Block* a = parent->children[leftSlot];
    Block* b = parent->children[rightSlot];
    // Merge when both fit in three quarters of a block, so that the merged
    // block does not split again at the next insertion; else redistribute,
    // half each.
    const std::size_t both = a->items + b->items;
    const std::size_t keep = both <= kCapacity * 3 / 4 ? both : both / 2;
    if (level == 0) {
      redistribute(asLeaf(a)->nodes, a->items, asLeaf(b)->nodes, b->items, keep);
      parent->counts[rightSlot] = both - keep;
      parent->counts[leftSlot] = keep;
    } else {
      Inner* innerA = asInner(a);
      Inner* innerB = asInner(b);
      redistribute(innerA->counts, a->items, innerB->counts, b->items, keep);
      redistribute(innerA->children, a->items, innerB->children, b->items, keep);
      const std::size_t nodes = parent->counts[leftSlot] + parent->counts[rightSlot];
      parent->counts[leftSlot] =
          std::accumulate(innerA->counts, innerA->counts + keep, std::size_t{0});
      parent->counts[rightSlot] = nodes - parent->counts[leftSlot];
    }
    a->items = static_cast<std::uint32_t>(keep);
    b->items = static_cast<std::uint32_t>(both - keep);
    if (b->items == 0) {  // merged: the empty right block goes
      release(b);
      eraseAt(parent->counts, parent->header.items, rightSlot);
      eraseAt(parent->children, parent->header.items--, rightSlot);
    }
    if (level + 1 == height) {  // parent is the root: it shrinks to its one child
      if (parent->header.items == 1) {
        root = parent->children[0];
        release(&parent->header);
        --height;
      }
      return;
    }
    if (parent->header.items >= kMinChildren) return;
  }
}

std::size_t LineIndex::bytes() const {
  // Level by level from the root: the blocks on each.
  std::vector<const Block*> blocks{root};
  std::size_t bytes = 0;
  for (std::size_t level = height; level > 0; --level) {
    std::vector<const Block*> below;
    for (const Block* block : blocks) {
      const Inner* inner = asInner(block);
      below.insert(below.end(), inner->children, inner->children + block->items);
    }
    bytes += blocks.size() * sizeof(Inner);
    blocks = std::move(below);
  }
  return bytes + blocks.size() * sizeof(Leaf);
}

// Only a broken index or a chain it does not hold takes the branches that
// return false. GCOVR_EXCL_BR_START
bool LineIndex::consistentWith(const Node* sentinel, std::size_t size) const {
  if (lines != size || height >= kMaxHeight) return false;
  // Level by level from the root: each block with the count of nodes that
  // its parent says lie beneath it.
  std::vector<std::pair<const Block*, std::size_t>> blocks{{root, lines + 1}};
  for (std::size_t level = height; level > 0; --level) {
    std::vector<std::pair<const Block*, std::size_t>> below;
    for (const auto& [block, count] : blocks) {
      const std::size_t fewest = block == root ? 2 : kMinChildren;
      if (block->leaf || block->items < fewest || block->items > kCapacity) return false;
      const Inner* inner = asInner(block);
      std::size_t sum = 0;
      for (std::size_t slot = 0; slot < block->items; ++slot) {
        below.emplace_back(inner->children[slot], inner->counts[slot]);
        sum += inner->counts[slot];
      }
      if (sum != count) return false;
    }
    blocks = std::move(below);
  }
  const Node* node = sentinel;
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    const auto& [block, count] = blocks[i];
    const std::size_t fewest = i + 1 == blocks.size() ? 1 : kMinItems;
    if (!block->leaf || block->items < fewest || block->items > kCapacity) return false;
    if (block->items != count) return false;
    const Leaf* leaf = asLeaf(block);
    for (std::size_t slot = 0; slot < block->items; ++slot, node = node->next) {
      if (node == nullptr || leaf->nodes[slot] != node) return false;
    }
  }
  return true;
}
// GCOVR_EXCL_BR_STOP

}  // namespace scrivet
