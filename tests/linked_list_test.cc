#include "scrivet/linked_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace scrivet {
namespace {

std::string listing(const LinkedList& list) {
  std::ostringstream out;
  list.print(out);
  return out.str();
}

std::string found(const LinkedList& list, const std::string& key) {
  std::ostringstream out;
  list.find(key, out);
  return out.str();
}

// Each step changes the list and names the listing it must leave; the chain,
// its length and tail are checked after every step, and the closing push
// only lands last if tail was right all along.
TEST(LinkedList, EveryOperationKeepsChainTailAndLength) {
  struct Step {
    std::function<void(LinkedList&)> change;
    std::string listing;
  };
  const std::vector<Step> steps = {
      {[](LinkedList& l) { l.remove(1); }, ""},
      {[](LinkedList& l) { l.edit(1, "x"); }, ""},
      {[](LinkedList& l) { l.insert(2, "x"); }, ""},
      {[](LinkedList& l) { l.insert(1, "b"); }, "1 b\n"},
      {[](LinkedList& l) { l.insert(2, "d"); }, "1 b\n2 d\n"},
      {[](LinkedList& l) { l.push("e"); }, "1 b\n2 d\n3 e\n"},
      {[](LinkedList& l) { l.insert(0, "a"); }, "1 a\n2 b\n3 d\n4 e\n"},
      {[](LinkedList& l) { l.insert(3, "c"); }, "1 a\n2 b\n3 c\n4 d\n5 e\n"},
      {[](LinkedList& l) { l.insert(7, "g"); }, "1 a\n2 b\n3 c\n4 d\n5 e\n"},
      {[](LinkedList& l) { l.remove(5); }, "1 a\n2 b\n3 c\n4 d\n"},
      {[](LinkedList& l) { l.push("f"); }, "1 a\n2 b\n3 c\n4 d\n5 f\n"},
      {[](LinkedList& l) { l.remove(0); }, "1 a\n2 b\n3 c\n4 d\n5 f\n"},
      {[](LinkedList& l) { l.remove(-1); }, "1 a\n2 b\n3 c\n4 d\n5 f\n"},
      {[](LinkedList& l) { l.remove(6); }, "1 a\n2 b\n3 c\n4 d\n5 f\n"},
      {[](LinkedList& l) { l.remove(1); }, "1 b\n2 c\n3 d\n4 f\n"},
      {[](LinkedList& l) { l.remove(2); }, "1 b\n2 d\n3 f\n"},
      {[](LinkedList& l) { l.edit(3, "F"); }, "1 b\n2 d\n3 F\n"},
      {[](LinkedList& l) { l.edit(0, "ghost"); }, "1 b\n2 d\n3 F\n"},
      {[](LinkedList& l) { l.edit(4, "x"); }, "1 b\n2 d\n3 F\n"},
      {[](LinkedList& l) { l.remove(3); }, "1 b\n2 d\n"},
      {[](LinkedList& l) { l.remove(2); }, "1 b\n"},
      {[](LinkedList& l) { l.remove(1); }, ""},
      {[](LinkedList& l) { l.insert(1, "only"); }, "1 only\n"},
      {[](LinkedList& l) { l.push("last"); }, "1 only\n2 last\n"},
  };
  LinkedList list;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    steps[i].change(list);
    ASSERT_TRUE(list.invariantsHold()) << "after step " << i;
    ASSERT_EQ(steps[i].listing, listing(list)) << "after step " << i;
    ASSERT_EQ(static_cast<std::size_t>(
                  std::count(steps[i].listing.begin(), steps[i].listing.end(), '\n')),
              list.size());
  }
}

TEST(LinkedList, LineNumbersAtTheIntLimitsNeverOverflow) {
  LinkedList list;
  list.push("a");
  list.push("b");
  list.insert(INT_MAX, "beyond");
  list.remove(INT_MAX);
  list.edit(INT_MAX, "beyond");
  list.remove(INT_MIN);
  list.edit(INT_MIN, "ghost");
  EXPECT_EQ("1 a\n2 b\n", listing(list));
  list.insert(INT_MIN, "first");
  EXPECT_EQ("1 first\n2 a\n3 b\n", listing(list));
  EXPECT_TRUE(list.invariantsHold());
}

TEST(LinkedList, FindReportsLinesOnceInOrderAndNeverTheSentinel) {
  LinkedList list;
  EXPECT_EQ("not found\n", found(list, ""));
  EXPECT_EQ("not found\n", found(list, "a"));
  list.edit(0, "ghost");
  list.push("banana");
  list.push("");
  list.push("Banana split");
  EXPECT_EQ("not found\n", found(list, "ghost"));
  EXPECT_EQ("1 banana\n3 Banana split\n", found(list, "ana"));
  EXPECT_EQ("3 Banana split\n", found(list, "B"));
  EXPECT_EQ("1 banana\n2 \n3 Banana split\n", found(list, ""));
  list.push(std::string("nul\0byte", 8));
  EXPECT_EQ(std::string("4 nul\0byte\n", 11), found(list, std::string("\0", 1)));
}

// Appends just past the point where the index's full root block splits, so
// that the newest block holds a few lines only, then takes lines off the
// end, emptying the newest blocks first, and off the front; the index must
// match the chain after every step.
TEST(LinkedList, IndexFollowsAppendsAndRemovalsAtBothEnds) {
  constexpr int kLines = 64 * 64 + 4;  // 64 full blocks of 64, the sentinel included, and 5
  LinkedList list;
  for (int i = 1; i <= kLines; ++i) list.push(std::to_string(i));
  ASSERT_TRUE(list.invariantsHold());
  for (int i = kLines; i > kLines - 200; --i) {
    list.remove(i);
    ASSERT_TRUE(list.invariantsHold()) << "after removing line " << i;
  }
  for (int i = 0; i < 200; ++i) {
    list.remove(1);
    ASSERT_TRUE(list.invariantsHold()) << "after removing line 1, time " << i;
  }
  list.edit(1, "first");
  list.edit(static_cast<int>(list.size()), "last");
  EXPECT_EQ("1 first\n", found(list, "first"));
  EXPECT_EQ("3700 last\n", found(list, "last"));
}

// No pattern of edits may make the index cost more than three times as
// much a line as appending does: inserts at one line number, on a block
// boundary, off it and at line 1, and deletions that leave blocks a fifth,
// a quarter or a third full. (Blocks kept at least a third full cost at
// most about three times what full ones cost.)
TEST(LinkedList, IndexStaysSmallOnEveryEditPattern) {
  constexpr int kLines = 5000;
  constexpr int kBlock = SCRIVET_INDEX_CAPACITY;
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
  for (const int at : {kBlock, 1000, 1}) {
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
