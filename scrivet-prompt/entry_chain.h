#ifndef SCRIVET_PROMPT_ENTRY_CHAIN_H_
#define SCRIVET_PROMPT_ENTRY_CHAIN_H_

#include <ostream>
#include <string>

namespace scrivet_prompt {

// One entry of the chain. The chain runs from the entry with the highest
// number (the head) through prev to ever lower numbers and ends at the
// start entry, numbered 0. The entry added last is not the head when an
// insert added it below the highest number.
// Numbers fall by exactly one along prev, so the entry numbered n is
// head->number - n steps from the head.
struct Node {
  // The entry's text as read, usually after a blank.
  std::string text;
  // 1 for the first entry appended, 2 for the second...; 0 for the start
  // entry.
  int number = 0;
  // The entry numbered one lower; null for the start entry.
  Node* prev = nullptr;
  // A forward link that nothing uses; it stays null.
  Node* next = nullptr;
};

// Makes a new entry holding text and number (one above the head's, as the
// caller gives it) and makes it the head.
void insertEnd(Node*& head, std::string text, int number);

// Adds an entry numbered number holding text, and numbers every entry from
// number upwards one higher, walking from the head: time proportional to
// head->number - number. A number outside 1..head->number + 1 changes
// nothing. If memory runs out (std::bad_alloc), nothing has changed; the
// same holds for insertEnd.
void insert(Node*& head, int number, std::string text);

// Replaces the text of the entry numbered number, walking from the head.
// A number outside 1..head->number changes nothing.
void edit(Node* head, int number, std::string text);

// Writes the listing: two empty lines, then every entry from the head down
// to the start entry as its number, a blank, its text and an empty line.
void print(const Node* head, std::ostream& out);

// Releases every entry from head down to the start entry, without
// recursion, and leaves head null.
void release(Node*& head);

}  // namespace scrivet_prompt

#endif  // SCRIVET_PROMPT_ENTRY_CHAIN_H_
