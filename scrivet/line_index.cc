#include "line_index.h"

#include <algorithm>
#include <cassert>
#include <memory>
#include <numeric>
#include <utility>
#include <vector>

#include "linked_list.h"
#include "prefetch.h"

namespace scrivet {
namespace {

// Inserts value at index at of the first size items.
template <typename T>
void insertAt(T* items, std::size_t size, std::size_t at, T value) {
  std::copy_backward(items + at, items + size, items + size + 1);
  items[at] = value;
}

// Removes the item at index at of the first size items.
template <typename T>
void eraseAt(T* items, std::size_t size, std::size_t at) {
  std::copy(items + at + 1, items + size, items + at);
}

// Moves items between the neighbouring blocks' arrays a (aSize items) and
// b (bSize items), keeping their order, so that a holds the first keep of
// them and b the rest.
template <typename T>
void shareOut(T* a, std::size_t aSize, T* b, std::size_t bSize, std::size_t keep) {
  if (aSize < keep) {
    const std::size_t move = keep - aSize;
    std::copy(b, b + move, a + aSize);
    std::copy(b + move, b + bSize, b);
  } else {
    const std::size_t move = aSize - keep;
    std::copy_backward(b, b + bSize, b + bSize + move);
    std::copy(a + keep, a + aSize, b);
  }
}

}  // namespace

// The blocks that one insertion may need, allocated before it changes
// anything: a leaf, and as many inner blocks as it will split or add.
class LineIndex::Spares {
 public:
  explicit Spares(std::size_t innerBlocks)
      : leafBlock(std::make_unique<Leaf>()), count(innerBlocks) {
    for (std::size_t i = 0; i < count; ++i) innerBlock[i] = std::make_unique<Inner>();
  }

  Leaf* leaf() { return leafBlock.release(); }

  Inner* inner() {
    assert(count > 0);
    return innerBlock[--count].release();
  }

 private:
  std::unique_ptr<Leaf> leafBlock;
  std::unique_ptr<Inner> innerBlock[kMaxHeight + 1];
  std::size_t count;  // inner blocks not yet handed out
};

LineIndex::LineIndex(Node* sentinel) {
  auto* leaf = new Leaf;
  leaf->nodes[0] = sentinel;
  leaf->header.size = 1;
  root = &leaf->header;
}

LineIndex::~LineIndex() {
  // Depth first, without recursion: a path serves as the stack, with the
  // block being emptied on each level and its next child.
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
    if (path.slot[level] == inner->header.size) {
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

void LineIndex::countAdded(const Path& path) {
  for (std::size_t level = 0; level < height; ++level) ++path.inner[level]->lines[path.slot[level]];
  ++total;
}

void LineIndex::descend(std::size_t p, Path& path) const {
  assert(p < total);
  Block* block = root;
  bool last = true;
  for (std::size_t level = height; level-- > 0;) {
    Inner* inner = asInner(block);
    std::size_t i = 0;
    while (p >= inner->lines[i]) p -= inner->lines[i++];
    assert(i < inner->header.size);
    path.inner[level] = inner;
    path.slot[level] = i;
    last = last && i + 1 == inner->header.size;
    block = inner->children[i];
  }
  path.leaf = asLeaf(block);
  path.at = p;
  path.lastLeaf = last;
}

Node* LineIndex::at(std::size_t p) const {
  Path path;
  descend(p, path);
  return path.leaf->nodes[path.at];
}

Node* LineIndex::insert(std::size_t p, Node* node) {
  assert(p >= 1 && p <= total);
  Path path;
  descend(p - 1, path);
  Node* before = path.leaf->nodes[path.at];
  place(path, node);
  return before;
}

void LineIndex::append(Node* node) {
  // Down the right edge: the last child on every level, no counts to read.
  Path path;
  Block* block = root;
  for (std::size_t level = height; level-- > 0;) {
    Inner* inner = asInner(block);
    path.inner[level] = inner;
    path.slot[level] = inner->header.size - 1;
    block = inner->children[path.slot[level]];
  }
  path.leaf = asLeaf(block);
  path.at = path.leaf->header.size - 1;
  path.lastLeaf = true;
  place(path, node);
}

void LineIndex::place(Path& path, Node* node) {
  Leaf* leaf = path.leaf;
  const std::size_t at = path.at + 1;
  if (leaf->header.size < kCapacity) {
    insertAt(leaf->nodes, leaf->header.size++, at, node);
    countAdded(path);
    return;
  }
  // The leaf is full. Every full inner block above it splits too, and when
  // they all do, a new root grows: allocate those blocks first.
  std::size_t full = 0;
  while (full < height && path.inner[full]->header.size == kCapacity) ++full;
  Spares spares(full == height ? full + 1 : full);
  countAdded(path);
  // At the document's end a new leaf starts with the node alone, so that
  // appends fill their leaves; anywhere else the leaf splits in halves.
  const bool atEnd = path.lastLeaf && at == kCapacity;
  const std::size_t keep = atEnd ? kCapacity : kCapacity / 2;
  Leaf* right = spares.leaf();
  std::copy(leaf->nodes + keep, leaf->nodes + kCapacity, right->nodes);
  right->header.size = static_cast<std::uint32_t>(kCapacity - keep);
  leaf->header.size = static_cast<std::uint32_t>(keep);
  if (atEnd || at > keep) {
    insertAt(right->nodes, right->header.size++, at - keep, node);
  } else {
    insertAt(leaf->nodes, leaf->header.size++, at, node);
  }
  addChild(path, 0, &right->header, right->header.size, spares);
}

void LineIndex::addChild(Path& path, std::size_t level, Block* child, std::size_t lines,
                         Spares& spares) {
  for (; level < height; ++level) {
    Inner* parent = path.inner[level];
    const std::size_t slot = path.slot[level];
    parent->lines[slot] -= lines;
    const std::size_t at = slot + 1;
    if (parent->header.size < kCapacity) {
      insertAt(parent->lines, parent->header.size, at, lines);
      insertAt(parent->children, parent->header.size++, at, child);
      return;
    }
    // Inner blocks always split in halves, so that every one but the root
    // keeps at least kMinChildren children.
    constexpr std::size_t keep = kCapacity / 2;
    Inner* right = spares.inner();
    std::copy(parent->lines + keep, parent->lines + kCapacity, right->lines);
    std::copy(parent->children + keep, parent->children + kCapacity, right->children);
    right->header.size = static_cast<std::uint32_t>(kCapacity - keep);
    parent->header.size = static_cast<std::uint32_t>(keep);
    Inner* target = at > keep ? right : parent;
    const std::size_t targetAt = at > keep ? at - keep : at;
    insertAt(target->lines, target->header.size, targetAt, lines);
    insertAt(target->children, target->header.size++, targetAt, child);
    // Now the new right half goes in after parent, one level up.
    child = &right->header;
    lines = std::accumulate(right->lines, right->lines + right->header.size, std::size_t{0});
  }
  // The root split: grow a new root above it.
  assert(height + 1 < kMaxHeight);
  Inner* top = spares.inner();
  top->children[0] = root;
  top->lines[0] = total - lines;
  top->children[1] = child;
  top->lines[1] = lines;
  top->header.size = 2;
  root = &top->header;
  ++height;
}

Node* LineIndex::remove(std::size_t p) {
  assert(p >= 1 && p < total);
  Path path;
  descend(p - 1, path);
  Node* before = path.leaf->nodes[path.at];
  // The node at p is mostly in the same leaf as the one before it.
  if (path.at + 1 < path.leaf->header.size) {
    ++path.at;
  } else {
    descend(p, path);
  }
  // The caller reads the removed node next: start loading it now.
  prefetch(path.leaf->nodes[path.at]);
  for (std::size_t level = 0; level < height; ++level) --path.inner[level]->lines[path.slot[level]];
  --total;
  Leaf* leaf = path.leaf;
  eraseAt(leaf->nodes, leaf->header.size--, path.at);
  if (height > 0 && leaf->header.size < kMinFill) refill(path, 0);
  return before;
}

void LineIndex::refill(Path& path, std::size_t level) {
  for (;; ++level) {
    Inner* parent = path.inner[level];
    // The underfull child and a neighbour, as left and right.
    const std::size_t left = path.slot[level] > 0 ? path.slot[level] - 1 : 0;
    const std::size_t right = left + 1;
    std::size_t& leftLines = parent->lines[left];
    std::size_t& rightLines = parent->lines[right];
    Block* a = parent->children[left];
    Block* b = parent->children[right];
    // Both into the left block when they fit in three quarters of one,
    // else half each.
    const std::size_t both = a->size + b->size;
    const std::size_t keep = both <= kCapacity * 3 / 4 ? both : both / 2;
    if (level == 0) {
      shareOut(asLeaf(a)->nodes, a->size, asLeaf(b)->nodes, b->size, keep);
      leftLines = keep;
      rightLines = both - keep;
    } else {
      Inner* innerA = asInner(a);
      Inner* innerB = asInner(b);
      shareOut(innerA->lines, a->size, innerB->lines, b->size, keep);
      shareOut(innerA->children, a->size, innerB->children, b->size, keep);
      const std::size_t sum = leftLines + rightLines;
      leftLines = std::accumulate(innerA->lines, innerA->lines + keep, std::size_t{0});
      rightLines = sum - leftLines;
    }
    a->size = static_cast<std::uint32_t>(keep);
    b->size = static_cast<std::uint32_t>(both - keep);
    if (b->size == 0) {  // everything went left: drop the empty right block
      release(b);
      eraseAt(parent->lines, parent->header.size, right);
      eraseAt(parent->children, parent->header.size--, right);
    }
    if (level + 1 == height) {  // parent is the root
      if (parent->header.size == 1) {
        root = parent->children[0];
        release(&parent->header);
        --height;
      }
      return;
    }
    if (parent->header.size >= kMinChildren) return;
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
      below.insert(below.end(), inner->children, inner->children + block->size);
    }
    bytes += blocks.size() * sizeof(Inner);
    blocks = std::move(below);
  }
  return bytes + blocks.size() * sizeof(Leaf);
}

// Only a broken index or a chain it does not hold takes the branches that
// return false. GCOVR_EXCL_BR_START
bool LineIndex::consistentWith(const Node* sentinel, std::size_t count) const {
  if (total != count + 1 || height >= kMaxHeight) return false;
  // Level by level from the root: each block with the number of nodes its
  // parent says lie under it.
  std::vector<std::pair<const Block*, std::size_t>> blocks{{root, total}};
  for (std::size_t level = height; level > 0; --level) {
    std::vector<std::pair<const Block*, std::size_t>> below;
    for (const auto& [block, lines] : blocks) {
      const std::size_t least = block == root ? 2 : kMinChildren;
      if (block->leaf || block->size < least || block->size > kCapacity) return false;
      const Inner* inner = asInner(block);
      std::size_t sum = 0;
      for (std::size_t i = 0; i < block->size; ++i) {
        below.emplace_back(inner->children[i], inner->lines[i]);
        sum += inner->lines[i];
      }
      if (sum != lines) return false;
    }
    blocks = std::move(below);
  }
  const Node* node = sentinel;
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    const auto& [block, lines] = blocks[i];
    const std::size_t least = i + 1 == blocks.size() ? 1 : kMinFill;
    if (!block->leaf || block->size < least || block->size > kCapacity) return false;
    if (block->size != lines) return false;
    const Leaf* leaf = asLeaf(block);
    for (std::size_t j = 0; j < block->size; ++j, node = node->next) {
      if (node == nullptr || leaf->nodes[j] != node) return false;
    }
  }
  return true;
}
// GCOVR_EXCL_BR_STOP

}  // namespace scrivet
