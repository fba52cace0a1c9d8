#ifndef SCRIVET_NODE_H_
#define SCRIVET_NODE_H_

#include <string>

namespace scrivet {

// One line of the document, or the sentinel that stands before line 1. The
// document's chain of nodes is linked through next; LinkedList owns the
// nodes, and LineIndex points at them.
struct Node {
  // The line's bytes, without the newline; may be empty.
  std::string text;
  // The following node; null for the last one.
  Node* next = nullptr;
};

}  // namespace scrivet

#endif  // SCRIVET_NODE_H_
