#include "bench/common.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "scrivet/key_search.h"

namespace bench {

std::string lineText(std::size_t i) {
  char text[64];
  std::snprintf(text, sizeof text, "line %07zu k%03zu; the quick brown foxes", i, (i - 1) % 1000);
  return text;
}

std::string keyText(std::uint32_t t) {
  char key[16];
  std::snprintf(key, sizeof key, "k%03u;", static_cast<unsigned>(t % 1000));
  return key;
}

namespace {

// Writes as LinkedList writes a listed line: number, blank, text, newline,
// flush. Kept out of line, as the list's is, so that both walks have the
// same shape.
[[gnu::noinline]] void writeNumbered(std::ostream& out, std::size_t number, std::string_view text) {
  char prefix[24];
  char* end = std::to_chars(prefix, prefix + sizeof prefix - 1, number).ptr;
  *end++ = ' ';
  out.write(prefix, end - prefix);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out << std::endl;
}

}  // namespace

BareChain::~BareChain() {
  for (scrivet::Node* node = head.next; node != nullptr;) {
    scrivet::Node* next = node->next;
    delete node;
    node = next;
  }
}

void BareChain::push(std::string text) {
  tail->next = new scrivet::Node{std::move(text), nullptr};
  tail = tail->next;
}

void BareChain::print(std::ostream& out) const {
  std::size_t number = 1;
  for (const scrivet::Node* node = head.next; node != nullptr; node = node->next) {
    writeNumbered(out, number++, node->text);
  }
}

template <typename Contains>
void BareChain::findWith(const Contains& contains, std::ostream& out) const {
  bool found = false;
  std::size_t number = 1;
  for (const scrivet::Node* node = head.next; node != nullptr; node = node->next, ++number) {
    if (contains(node->text)) {
      writeNumbered(out, number, node->text);
      found = true;
    }
  }
  if (!found) out << "not found" << std::endl;
}

void BareChain::find(std::string_view key, std::ostream& out) const {
  const scrivet::KeySearch search(key);
  findWith([&search](std::string_view text) { return search.foundIn(text); }, out);
}

void BareChain::scan(std::string_view key, std::ostream& out) const {
  findWith([key](std::string_view text) { return text.find(key) != std::string_view::npos; }, out);
}

void heapInOrder() {
#if defined(__GLIBC__)
  mallopt(M_MXFAST, 0);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
}

void printTarget(std::ostream& out, const std::string& what, double value, double limit) {
  char line[160];
  std::snprintf(line, sizeof line, "target  %-60s %8.2f  (at most %.2f)  %s\n", what.c_str(), value,
                limit, value <= limit ? "met" : "NOT MET");
  out << line << std::flush;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace bench
