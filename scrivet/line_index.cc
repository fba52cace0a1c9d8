#include "line_index.h"

#include <algorithm>
#include <numeric>
#include <utility>
#include <vector>

#include "linked_list.h"

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

// Asks the processor to start loading what address points at; only a hint.
void prefetch(const void* address) {
#if defined(__GNUC__)
  __builtin_prefetch(address);
#else
  (void)address;
#endif
}

}  // namespace

LineIndex::LineIndex(Node* sentinel) {
  auto* leaf = new Leaf;
  leaf->nodes[0] = sentinel;
  leaf->size = 1;
  root = leaf;
  total = 1;
}

LineIndex::~LineIndex() {
  if (height == 0) {
    delete static_cast<Leaf*>(root);
    return;
  }
  // Depth first, without recursion: the path arrays serve as the stack,
  // pathInner[level] being the block emptied on that level and
  // pathSlot[level] its next child.
  std::size_t level = height - 1;
  pathInner[level] = static_cast<Inner*>(root);
  pathSlot[level] = 0;
  for (;;) {
    Inner* inner = pathInner[level];
    if (pathSlot[level] == inner->size) {
      delete inner;
      if (++level == height) return;
      continue;
    }
    void* child = inner->children[pathSlot[level]++];
    if (level == 0) {
      delete static_cast<Leaf*>(child);
    } else {
      --level;
      pathInner[level] = static_cast<Inner*>(child);
      pathSlot[level] = 0;
    }
  }
}

void LineIndex::descend(std::size_t p) {
  void* block = root;
  for (std::size_t level = height; level-- > 0;) {
    auto* inner = static_cast<Inner*>(block);
    std::size_t i = 0;
    while (p >= inner->lines[i]) p -= inner->lines[i++];
    pathInner[level] = inner;
    pathSlot[level] = i;
    block = inner->children[i];
  }
  pathLeaf = static_cast<Leaf*>(block);
  leafSlot = p;
}

Node* LineIndex::seek(std::size_t p) {
  descend(p);
  seekPosition = p;
  // A removal reads the following node next: start loading it now.
  if (leafSlot + 1 < pathLeaf->size) prefetch(pathLeaf->nodes[leafSlot + 1]);
  return pathLeaf->nodes[leafSlot];
}

void LineIndex::linked(Node* node) {
  for (std::size_t level = 0; level < height; ++level) ++pathInner[level]->lines[pathSlot[level]];
  ++total;
  Leaf* leaf = pathLeaf;
  const std::size_t at = leafSlot + 1;
  if (leaf->size < kCapacity) {
    insertAt(leaf->nodes, leaf->size++, at, node);
    return;
  }
  // Split a full leaf in halves; at its very end, as appends do, start a
  // new leaf instead, so that a document built by appending fills its
  // leaves.
  const std::size_t keep = at == kCapacity ? kCapacity : kCapacity / 2;
  auto* right = new Leaf;
  std::copy(leaf->nodes + keep, leaf->nodes + kCapacity, right->nodes);
  right->size = kCapacity - keep;
  leaf->size = keep;
  if (at > keep || at == kCapacity) {
    insertAt(right->nodes, right->size++, at - keep, node);
  } else {
    insertAt(leaf->nodes, leaf->size++, at, node);
  }
  addChild(0, right, right->size);
}

void LineIndex::addChild(std::size_t level, void* child, std::size_t lines) {
  for (; level < height; ++level) {
    Inner* parent = pathInner[level];
    const std::size_t slot = pathSlot[level];
    parent->lines[slot] -= lines;
    const std::size_t at = slot + 1;
    if (parent->size < kCapacity) {
      insertAt(parent->lines, parent->size, at, lines);
      insertAt(parent->children, parent->size++, at, child);
      return;
    }
    // Inner blocks always split in halves, so that every one but the root
    // keeps at least two children, and a child that runs low on items
    // always has a neighbour to merge with.
    const std::size_t keep = kCapacity / 2;
    auto* right = new Inner;
    std::copy(parent->lines + keep, parent->lines + kCapacity, right->lines);
    std::copy(parent->children + keep, parent->children + kCapacity, right->children);
    right->size = kCapacity - keep;
    parent->size = keep;
    Inner* target = at > keep ? right : parent;
    const std::size_t targetAt = at > keep ? at - keep : at;
    insertAt(target->lines, target->size, targetAt, lines);
    insertAt(target->children, target->size++, targetAt, child);
    // Now the new right half goes in after parent, one level up.
    child = right;
    lines = std::accumulate(right->lines, right->lines + right->size, std::size_t{0});
  }
  // The root split: grow a new root above it.
  auto* top = new Inner;
  top->children[0] = root;
  top->lines[0] = total - lines;
  top->children[1] = child;
  top->lines[1] = lines;
  top->size = 2;
  root = top;
  ++height;
}

void LineIndex::unlinked() {
  // The line after the one sought is mostly in the same leaf.
  if (leafSlot + 1 < pathLeaf->size) {
    ++leafSlot;
  } else {
    descend(seekPosition + 1);
  }
  for (std::size_t level = 0; level < height; ++level) --pathInner[level]->lines[pathSlot[level]];
  --total;
  eraseAt(pathLeaf->nodes, pathLeaf->size--, leafSlot);
  if (height > 0 && pathLeaf->size < kCapacity / 4) refill(0);
}

void LineIndex::refill(std::size_t level) {
  for (;; ++level) {
    Inner* parent = pathInner[level];
    // The underfull child and a neighbour, as left and right.
    const std::size_t left = pathSlot[level] > 0 ? pathSlot[level] - 1 : 0;
    const std::size_t right = left + 1;
    std::size_t& leftLines = parent->lines[left];
    std::size_t& rightLines = parent->lines[right];
    // Both into the left block when they fit in three quarters of one,
    // else half each.
    const auto keepLeft = [](std::size_t both) {
      return both <= kCapacity * 3 / 4 ? both : both / 2;
    };
    if (level == 0) {
      auto* a = static_cast<Leaf*>(parent->children[left]);
      auto* b = static_cast<Leaf*>(parent->children[right]);
      const std::size_t both = a->size + b->size;
      const std::size_t keep = keepLeft(both);
      shareOut(a->nodes, a->size, b->nodes, b->size, keep);
      a->size = keep;
      b->size = both - keep;
      leftLines = a->size;
      rightLines = b->size;
    } else {
      auto* a = static_cast<Inner*>(parent->children[left]);
      auto* b = static_cast<Inner*>(parent->children[right]);
      const std::size_t both = a->size + b->size;
      const std::size_t keep = keepLeft(both);
      shareOut(a->lines, a->size, b->lines, b->size, keep);
      shareOut(a->children, a->size, b->children, b->size, keep);
      a->size = keep;
      b->size = both - keep;
      const std::size_t sum = leftLines + rightLines;
      leftLines = std::accumulate(a->lines, a->lines + a->size, std::size_t{0});
      rightLines = sum - leftLines;
    }
    if (rightLines == 0) {  // everything went left: drop the empty right block
      void* empty = parent->children[right];
      if (level == 0) {
        delete static_cast<Leaf*>(empty);
      } else {
        delete static_cast<Inner*>(empty);
      }
      eraseAt(parent->lines, parent->size, right);
      eraseAt(parent->children, parent->size--, right);
    }
    if (level + 1 == height) {  // parent is the root
      if (parent->size == 1) {
        root = parent->children[0];
        delete parent;
        --height;
      }
      return;
    }
    if (parent->size >= std::max<std::size_t>(2, kCapacity / 4)) return;
  }
}

bool LineIndex::consistentWith(const Node* sentinel, std::size_t count) const {
  if (total != count + 1 || height > kMaxHeight) return false;
  // Level by level from the root: each block with the number of nodes its
  // parent says lie under it.
  std::vector<std::pair<const void*, std::size_t>> blocks{{root, total}};
  for (std::size_t level = height; level > 0; --level) {
    std::vector<std::pair<const void*, std::size_t>> below;
    for (const auto& [block, lines] : blocks) {
      const auto* inner = static_cast<const Inner*>(block);
      if (inner->size < 2 || inner->size > kCapacity) return false;
      std::size_t sum = 0;
      for (std::size_t i = 0; i < inner->size; ++i) {
        below.emplace_back(inner->children[i], inner->lines[i]);
        sum += inner->lines[i];
      }
      if (sum != lines) return false;
    }
    blocks = std::move(below);
  }
  const Node* node = sentinel;
  for (const auto& [block, lines] : blocks) {
    const auto* leaf = static_cast<const Leaf*>(block);
    if (leaf->size == 0 || leaf->size > kCapacity || leaf->size != lines) return false;
    for (std::size_t i = 0; i < leaf->size; ++i, node = node->next) {
      if (node == nullptr || leaf->nodes[i] != node) return false;
    }
  }
  return node == nullptr;
}

}  // namespace scrivet
