#include "line_index.h"

#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "linked_list.h"

namespace scrivet {

LineIndex::LineIndex(Node* sentinel) {
  for (std::size_t level = 0; level < kLevels; ++level) {
    head[level].node = sentinel;
    head[level].down = level == 0 ? nullptr : &head[level - 1];
  }
}

LineIndex::~LineIndex() {
  for (Entry& start : head) {
    Entry* entry = start.next;
    while (entry != nullptr) {
      Entry* next = entry->next;
      delete entry;
      entry = next;
    }
  }
}

Node* LineIndex::seek(std::size_t p) {
  Entry* entry = &head[kLevels - 1];
  std::size_t position = 0;
  for (std::size_t level = kLevels; level-- > 0;) {
    while (entry->next != nullptr && position + entry->span <= p) {
      position += entry->span;
      entry = entry->next;
    }
    path[level] = entry;
    pathPosition[level] = position;
    if (level > 0) entry = entry->down;
  }
  Node* node = entry->node;
  for (; position < p; ++position) node = node->next;
  seekPosition = p;
  return node;
}

void LineIndex::linked(Node* node) {
  const std::size_t position = seekPosition + 1;  // the new line's
  const std::size_t height = randomHeight();
  Entry* below = nullptr;
  for (std::size_t level = 0; level < kLevels; ++level) {
    Entry* before = path[level];
    if (level < height) {
      auto* entry = new Entry{node, before->next, below, 0};
      if (entry->next != nullptr) entry->span = pathPosition[level] + before->span + 1 - position;
      before->next = entry;
      before->span = position - pathPosition[level];
      below = entry;
    } else if (before->next != nullptr) {
      ++before->span;
    }
  }
}

void LineIndex::unlinked() {
  const std::size_t position = seekPosition + 1;  // the removed line's
  for (std::size_t level = 0; level < kLevels; ++level) {
    Entry* before = path[level];
    Entry* next = before->next;
    if (next == nullptr) continue;
    if (pathPosition[level] + before->span == position) {
      before->next = next->next;
      before->span = next->next == nullptr ? 0 : before->span + next->span - 1;
      delete next;
    } else {
      --before->span;
    }
  }
}

std::size_t LineIndex::randomHeight() {
  // xorshift64*: fast, and good enough to spread heights evenly.
  randomState ^= randomState >> 12;
  randomState ^= randomState << 25;
  randomState ^= randomState >> 27;
  std::uint64_t bits = randomState * 0x2545F4914F6CDD1DULL;
  std::size_t height = 0;
  while (height < kLevels && (bits & 3) == 0) {
    ++height;
    bits >>= 2;
  }
  return height;
}

bool LineIndex::consistentWith(const Node* sentinel, std::size_t count) const {
  std::unordered_map<const Node*, std::size_t> positionOf;
  std::size_t position = 0;
  for (const Node* node = sentinel; node != nullptr; node = node->next) {
    if (position > count || !positionOf.emplace(node, position).second) return false;
    ++position;
  }
  if (position != count + 1) return false;

  std::unordered_set<const Entry*> levelBelow;
  for (std::size_t level = 0; level < kLevels; ++level) {
    if (head[level].node != sentinel) return false;
    if (head[level].down != (level == 0 ? nullptr : &head[level - 1])) return false;
    std::unordered_set<const Entry*> thisLevel;
    for (const Entry* entry = &head[level]; entry != nullptr; entry = entry->next) {
      const auto found = positionOf.find(entry->node);
      if (found == positionOf.end() || !thisLevel.insert(entry).second) return false;
      if (level > 0 && (levelBelow.count(entry->down) == 0 || entry->down->node != entry->node)) {
        return false;
      }
      if (entry->next == nullptr) {
        if (entry->span != 0) return false;
        continue;
      }
      const auto nextFound = positionOf.find(entry->next->node);
      if (nextFound == positionOf.end() || nextFound->second <= found->second ||
          nextFound->second - found->second != entry->span) {
        return false;
      }
    }
    levelBelow = std::move(thisLevel);
  }
  return true;
}

}  // namespace scrivet
