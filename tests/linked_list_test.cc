#include "scrivet/linked_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
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

}  // namespace
}  // namespace scrivet
