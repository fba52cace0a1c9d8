#include "entry_chain.h"

#include <utility>

namespace scrivet_prompt {

void insertEnd(Node*& head, std::string text, int number) {
  head = new Node{std::move(text), number, head, nullptr};
}

void insert(Node*& head, int number, std::string text) {
  if (number < 1 || static_cast<long long>(number) > head->number + 1LL) return;
  // Made before any entry is renumbered, so that running out of memory
  // changes nothing.
  Node* entry = new Node{std::move(text), number, nullptr, nullptr};
  Node* above = nullptr;  // the entry just above the insertion point
  Node* below = head;     // becomes the new entry's prev
  while (below->number >= number) {
    ++below->number;
    above = below;
    below = below->prev;
  }
  entry->prev = below;
  (above == nullptr ? head : above->prev) = entry;
}

void edit(Node* head, int number, std::string text) {
  if (number < 1 || number > head->number) return;
  Node* entry = head;
  while (entry->number != number) entry = entry->prev;
  entry->text = std::move(text);
}

void print(const Node* head, std::ostream& out) {
  out << '\n' << std::endl;
  for (const Node* entry = head; entry != nullptr; entry = entry->prev) {
    out << entry->number << ' ' << entry->text << '\n' << std::endl;
  }
}

void release(Node*& head) {
  while (head != nullptr) {
    Node* below = head->prev;
    delete head;
    head = below;
  }
}

}  // namespace scrivet_prompt
