#include "scrivet/line_index.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <utility>

#include "scrivet/linked_list.h"

// The index is driven through the document that owns it, so that every
// step is checked against the chain; these tests hold for any block size
// that a build sets.
namespace scrivet {
namespace {

constexpr int kBlock = SCRIVET_INDEX_CAPACITY;

std::string found(const LinkedList& list, const std::string& key) {
  std::ostringstream out;
  list.find(key, out);
  return out.str();
}

// Appends just past the point where the index's full root block splits, so
// that the newest block holds a few lines only, then takes lines off the
// end, emptying the newest blocks first, and off the front; the index must
// match the chain after every step.
TEST(LineIndex, FollowsAppendsAndRemovalsAtBothEnds) {
  // kBlock full leaves of kBlock nodes, the sentinel included, and 5 more.
  constexpr int kLines = kBlock * kBlock + 4;
  constexpr int kRemoved = kLines / 4;
  LinkedList list;
  for (int i = 1; i <= kLines; ++i) list.push(std::to_string(i));
  ASSERT_TRUE(list.invariantsHold());
  for (int i = kLines; i > kLines - kRemoved; --i) {
    list.remove(i);
    ASSERT_TRUE(list.invariantsHold()) << "after removing line " << i;
  }
  for (int i = 0; i < kRemoved; ++i) {
    list.remove(1);
    ASSERT_TRUE(list.invariantsHold()) << "after removing line 1, time " << i;
  }
  list.edit(1, "first");
  list.edit(static_cast<int>(list.size()), "last");
  EXPECT_EQ("1 first\n", found(list, "first"));
  EXPECT_EQ(std::to_string(kLines - 2 * kRemoved) + " last\n", found(list, "last"));
}

// No pattern of edits may make the index cost more than three times as
// much a line as appending does: inserts at one line number, on a block
// boundary, off it and at line 1, and deletions that leave blocks a fifth,
// a quarter or a third full. (Blocks kept at least a third full cost at
// most about three times what full ones cost.)
TEST(LineIndex, StaysSmallOnEveryEditPattern) {
  constexpr int kLines = 5000;
  const auto bytesALine = [](const LinkedList& list) {
    return static_cast<double>(list.indexBytes()) / static_cast<double>(list.size());
  };
  const auto appended = [] {
    auto list = std::make_unique<LinkedList>();
    for (int i = 1; i <= kLines; ++i) list->push(std::to_string(i));
    list->edit(kLines, "the index takes in every line to find this one");
    return list;
  };
  const double least = bytesALine(*appended());
  for (const int at : {kBlock, 15 * kBlock + kBlock / 2 + 1, 1}) {
    LinkedList list;
    for (int i = 1; i < at; ++i) list.push(std::to_string(i));
    for (int i = at; i <= kLines; ++i) list.insert(at, std::to_string(i));
    ASSERT_TRUE(list.invariantsHold());
    EXPECT_LE(bytesALine(list), 3 * least) << "inserts at line " << at;
  }
  for (const auto& [keep, group] :
       {std::pair{1, 5}, {kBlock / 4, kBlock}, {(kBlock + 2) / 3, kBlock}}) {
    const auto list = appended();
    for (int first = 1; first + keep <= static_cast<int>(list->size()); first += keep) {
      for (int gone = keep; gone < group && first + keep <= static_cast<int>(list->size());
           ++gone) {
        list->remove(first + keep);
      }
    }
    ASSERT_TRUE(list->invariantsHold());
    EXPECT_LE(bytesALine(*list), 3 * least) << keep << " lines of every " << group << " kept";
  }
}

// The consistency check that the tests rely on must be able to fail: over
// a chain that the index does not hold, in length or in order, it says so.
TEST(LineIndex, ConsistencyCheckSeesAChainItDoesNotHold) {
  Node nodes[4];
  LineIndex index(&nodes[0]);
  for (int i = 1; i < 4; ++i) {
    nodes[i - 1].next = &nodes[i];
    index.append(&nodes[i]);
  }
  EXPECT_TRUE(index.consistentWith(&nodes[0], 3));
  EXPECT_FALSE(index.consistentWith(&nodes[0], 2));
  nodes[1].next = &nodes[3];
  nodes[3].next = &nodes[2];
  nodes[2].next = nullptr;
  EXPECT_FALSE(index.consistentWith(&nodes[0], 3));
  nodes[1].next = nullptr;
  EXPECT_FALSE(index.consistentWith(&nodes[0], 3));
}

}  // namespace
}  // namespace scrivet
