#ifndef SCRIVET_LINKED_LIST_H_
#define SCRIVET_LINKED_LIST_H_

#include <cstddef>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "line_index.h"
#include "node.h"

namespace scrivet {

// The document: lines numbered from 1, kept as a singly linked chain of
// Nodes behind a sentinel.
//
// Invariants, after every operation:
//   - head is the sentinel: never null, never removed, never a line of the
//     document; its text stays empty.
//   - Following next from head visits the sentinel, then lines 1 to size()
//     in order, each exactly once, and ends at tail, whose next is null.
//     tail == head exactly when the document is empty.
//   - The list owns every node; a removed line is released at once, and the
//     destructor releases the rest without recursion.
//   - index holds the sentinel and lines 1 to index.size(); the lines after
//     those are the ones appended since a line was last found by its
//     number.
//
// Costs: push links a node and nothing more, so a document that is only
// appended to, listed and searched costs what a bare chain costs. insert,
// remove and edit take O(log n) time amortised: the first of them after k
// appends also has the index take in those k lines, in O(k) time.
//
// Line numbers outside the document never fail: the operation changes
// nothing. Output goes to the stream passed in, each line ended by a newline
// and a flush.
//
// Running out of memory: the constructor, push, insert, remove and edit may
// throw std::bad_alloc, and then the document is as it was, and nothing has
// leaked; the index may have taken in some of the appended lines. print and
// find change nothing.
class LinkedList {
 public:
  LinkedList();
  ~LinkedList();
  LinkedList(const LinkedList&) = delete;
  LinkedList& operator=(const LinkedList&) = delete;

  // Appends text as the new last line.
  void push(std::string text);

  // Inserts text so that it becomes line p. A p of 1 or less inserts before
  // line 1, p == size() + 1 appends, a larger p changes nothing.
  void insert(int p, std::string text);

  // Removes line p and releases it. A p outside 1..size() changes nothing.
  void remove(int p);

  // Replaces the text of line p. A p outside 1..size() changes nothing.
  void edit(int p, std::string text);

  // Writes every line as its number, a blank and its text; nothing at all
  // for an empty document.
  void print(std::ostream& out) const;

  // Writes, in document order and numbered as print does, every line that
  // contains key as a run of bytes (an empty key is in every line), or
  // "not found" when no line does.
  void find(std::string_view key, std::ostream& out) const;

  // The number of lines.
  std::size_t size() const { return count; }

  // The bytes that the index takes on top of the chain. For benchmarks and
  // tests.
  std::size_t indexBytes() const { return index.bytes(); }

  // True when the invariants above hold, the index's included; walks the
  // whole chain and index. For tests.
  bool invariantsHold() const;

 private:
  explicit LinkedList(std::unique_ptr<Node> sentinel);

  // Adds to the index the lines appended since it was last used.
  void catchUp();

  // The sentinel, before line 1.
  Node* head = nullptr;
  // The last line; the sentinel when there is none.
  Node* tail = nullptr;
  // The number of lines, the sentinel not counted.
  std::size_t count = 0;
  // Finds a line's node by its number, for the lines it has taken in.
  LineIndex index;
};

}  // namespace scrivet

#endif  // SCRIVET_LINKED_LIST_H_
