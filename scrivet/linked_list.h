#ifndef SCRIVET_LINKED_LIST_H_
#define SCRIVET_LINKED_LIST_H_

#include <cstddef>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "line_index.h"

namespace scrivet {

// One line of the document, or the sentinel that stands before line 1.
struct Node {
  std::string text;      // the line's bytes, without the newline; may be empty
  Node* next = nullptr;  // the following line; null for the last node
};

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
//   - index knows the position of the sentinel and of every line up to
//     indexed (see LineIndex); the lines after indexed are those appended
//     since a line was last looked up by its number. So push costs what
//     linking a node costs, and insert, remove and edit find their line in
//     O(log n) time at worst, once the index has taken in those lines.
//
// Line numbers outside the document never fail: the operation changes
// nothing. Output goes to the stream passed in, each line ended by a newline
// and a flush.
//
// Running out of memory: the constructor, push, insert, remove and edit may
// throw std::bad_alloc, and then the document is as it was, and nothing has
// leaked. remove and edit allocate only while the index takes in lines
// appended since it was last used. print and find change nothing.
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

  // Has the index take in the lines after indexed, up to line p at least.
  void indexUpTo(std::size_t p);

  Node* head = nullptr;     // the sentinel, before line 1
  Node* tail = nullptr;     // the last line; the sentinel when there is none
  Node* indexed = nullptr;  // the last node the index holds
  std::size_t count = 0;    // the number of lines, sentinel excluded
  LineIndex index;          // finds a line's node by its number, up to indexed
};

}  // namespace scrivet

#endif  // SCRIVET_LINKED_LIST_H_
