#include "linked_list.h"

#include <charconv>
#include <cstdint>
#include <utility>

#include "key_search.h"

namespace scrivet {
namespace {

// Writes number, a blank, text, a newline, and flushes.
void writeNumbered(std::ostream& out, std::size_t number, std::string_view text) {
  char prefix[24];
  char* end = std::to_chars(prefix, prefix + sizeof prefix - 1, number).ptr;
  *end++ = ' ';
  out.write(prefix, end - prefix);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out << std::endl;
}

// Asks the processor to start loading the memory at address, where the
// compiler offers a way; a hint with no effect on behaviour.
inline void prefetch(const void* address) {
#if defined(__GNUC__)
  __builtin_prefetch(address);
#else
  static_cast<void>(address);
#endif
}

// The same hint for the address offset bytes past object's. That address
// may belong to nothing: it is never read, and a prefetch does not fault.
inline void prefetchAhead(const void* object, std::uintptr_t offset) {
  prefetch(reinterpret_cast<const void*>(  // NOLINT(performance-no-int-to-ptr)
      reinterpret_cast<std::uintptr_t>(object) + offset));
}

// How far ahead of the node being searched find asks for memory.
constexpr std::uintptr_t kAhead = 1024;

// Whether p names one of the lines 1..count.
bool isLine(int p, std::size_t count) { return p >= 1 && static_cast<std::size_t>(p) <= count; }

}  // namespace

LinkedList::LinkedList() : head(new Node), tail(head), index(head) {}

LinkedList::~LinkedList() {
  while (head != nullptr) {
    Node* next = head->next;
    delete head;
    head = next;
  }
}

void LinkedList::push(std::string text) {
  index.seek(count);
  tail->next = new Node{std::move(text), nullptr};
  tail = tail->next;
  index.linked(tail);
  ++count;
}

void LinkedList::insert(int p, std::string text) {
  const std::size_t position = p < 1 ? 1 : static_cast<std::size_t>(p);
  if (position > count + 1) return;
  Node* before = index.seek(position - 1);
  before->next = new Node{std::move(text), before->next};
  if (before == tail) tail = before->next;
  index.linked(before->next);
  ++count;
}

void LinkedList::remove(int p) {
  if (!isLine(p, count)) return;
  Node* before = index.seek(static_cast<std::size_t>(p) - 1);
  Node* gone = before->next;
  before->next = gone->next;
  if (gone == tail) tail = before;
  index.unlinked();
  delete gone;
  --count;
}

void LinkedList::edit(int p, std::string text) {
  if (!isLine(p, count)) return;
  index.seek(static_cast<std::size_t>(p))->text = std::move(text);
}

void LinkedList::print(std::ostream& out) const {
  std::size_t number = 1;
  for (const Node* node = head->next; node != nullptr; node = node->next) {
    writeNumbered(out, number++, node->text);
  }
}

void LinkedList::find(std::string_view key, std::ostream& out) const {
  const KeySearch search(key);
  bool found = false;
  std::size_t number = 1;
  for (const Node* node = head->next; node != nullptr; node = node->next, ++number) {
    // Nodes and texts lie anywhere on the heap: ask for the node after next
    // and the next text while this one is searched; and, since lines
    // appended one after another often lie one after another, for the two
    // cache lines kAhead bytes on.
    if (const Node* next = node->next) {
      prefetch(next->next);
      prefetch(next->text.data());
    }
    prefetchAhead(node, kAhead);
    prefetchAhead(node, kAhead + 64);
    if (search.foundIn(node->text)) {
      writeNumbered(out, number, node->text);
      found = true;
    }
  }
  if (!found) out << "not found" << std::endl;
}

bool LinkedList::invariantsHold() const {
  if (head == nullptr || !head->text.empty() || tail == nullptr) return false;
  const Node* last = head;
  std::size_t lines = 0;
  for (; last->next != nullptr; last = last->next) {
    if (++lines > count) return false;  // also stops on a cycle
  }
  return lines == count && last == tail && index.consistentWith(head, count);
}

}  // namespace scrivet
