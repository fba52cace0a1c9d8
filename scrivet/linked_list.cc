#include "linked_list.h"

#include <charconv>
#include <memory>
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

// Whether p names one of the lines 1..count.
bool isLine(int p, std::size_t count) { return p >= 1 && static_cast<std::size_t>(p) <= count; }

}  // namespace

LinkedList::LinkedList() : LinkedList(std::make_unique<Node>()) {}

// If the index cannot allocate its first block, sentinel releases the node
// on the way out.
LinkedList::LinkedList(std::unique_ptr<Node> sentinel) : index(sentinel.get()) {
  head = tail = sentinel.release();
}

LinkedList::~LinkedList() {
  while (head != nullptr) {
    Node* next = head->next;
    delete head;
    head = next;
  }
}

// Each change makes what it allocates (a node, blocks of the index) before
// it touches the chain, so that running out of memory changes nothing.

void LinkedList::catchUp() {
  if (index.size() == count) return;
  for (Node* node = index.nodeAt(index.size())->next; node != nullptr; node = node->next) {
    index.append(node);
  }
}

void LinkedList::push(std::string text) {
  tail->next = new Node{std::move(text), nullptr};
  tail = tail->next;
  ++count;
}

void LinkedList::insert(int p, std::string text) {
  const std::size_t position = p < 1 ? 1 : static_cast<std::size_t>(p);
  if (position > count + 1) return;
  if (position == count + 1) {
    push(std::move(text));
    return;
  }
  catchUp();
  std::unique_ptr<Node> node(new Node{std::move(text), nullptr});
  Node* before = index.insert(position, node.get());
  node->next = before->next;
  before->next = node.release();
  ++count;
}

void LinkedList::remove(int p) {
  if (!isLine(p, count)) return;
  catchUp();
  Node* before = index.remove(static_cast<std::size_t>(p));
  Node* gone = before->next;
  before->next = gone->next;
  if (gone == tail) tail = before;
  delete gone;
  --count;
}

void LinkedList::edit(int p, std::string text) {
  if (!isLine(p, count)) return;
  catchUp();
  index.nodeAt(static_cast<std::size_t>(p))->text = std::move(text);
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
    if (search.foundIn(node->text)) {
      writeNumbered(out, number, node->text);
      found = true;
    }
  }
  if (!found) out << "not found" << std::endl;
}

// Only a broken list takes the branches that return false.
// GCOVR_EXCL_BR_START
bool LinkedList::invariantsHold() const {
  if (head == nullptr || !head->text.empty() || tail == nullptr) return false;
  const Node* last = head;
  std::size_t lines = 0;
  for (; last->next != nullptr; last = last->next) {
    if (++lines > count) return false;  // also stops on a cycle
  }
  return lines == count && last == tail && index.size() <= count &&
         index.consistentWith(head, index.size());
}
// GCOVR_EXCL_BR_STOP

}  // namespace scrivet
