#include "scrivet-prompt/entry_chain.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>

namespace scrivet_prompt {
namespace {

// Owns a chain for one test and lists it compactly: "3:c 2:b 1:a 0:".
class Chain {
 public:
  Chain() : head(new Node) {}
  ~Chain() { release(head); }
  Chain(const Chain&) = delete;
  Chain& operator=(const Chain&) = delete;

  std::string entries() const {
    std::string list;
    for (const Node* entry = head; entry != nullptr; entry = entry->prev) {
      list += std::to_string(entry->number) + ":" + entry->text;
      if (entry->next != nullptr) list += "(next set)";
      if (entry->prev != nullptr) list += " ";
    }
    return list;
  }

  Node* head;
};

TEST(EntryChain, InsertRenumbersAndKeepsTheChainOrdered) {
  Chain chain;
  insert(chain.head, 1, "a");
  EXPECT_EQ("1:a 0:", chain.entries());
  insertEnd(chain.head, "c", 2);
  insert(chain.head, 2, "b");
  EXPECT_EQ("3:c 2:b 1:a 0:", chain.entries());
  insert(chain.head, 1, "first");
  insert(chain.head, 5, "top");
  EXPECT_EQ("5:top 4:c 3:b 2:a 1:first 0:", chain.entries());
  for (int outside : {0, -1, 7, INT_MIN, INT_MAX}) insert(chain.head, outside, "x");
  EXPECT_EQ("5:top 4:c 3:b 2:a 1:first 0:", chain.entries());
}

TEST(EntryChain, EditReplacesOnlyANumberedEntry) {
  Chain chain;
  edit(chain.head, 0, "start");
  insertEnd(chain.head, "a", 1);
  insertEnd(chain.head, "b", 2);
  edit(chain.head, 1, " A");
  edit(chain.head, 2, "");
  for (int outside : {0, -1, 3, INT_MIN, INT_MAX}) edit(chain.head, outside, "x");
  EXPECT_EQ("2: 1: A 0:", chain.entries());
}

TEST(EntryChain, PrintListsHighestNumberFirstWithEmptyLines) {
  Chain chain;
  std::ostringstream empty;
  print(chain.head, empty);
  EXPECT_EQ("\n\n0 \n\n", empty.str());
  insertEnd(chain.head, " hello", 1);
  insertEnd(chain.head, " world\r", 2);
  std::ostringstream two;
  print(chain.head, two);
  EXPECT_EQ("\n\n2  world\r\n\n1  hello\n\n0 \n\n", two.str());
}

}  // namespace
}  // namespace scrivet_prompt
