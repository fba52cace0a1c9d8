#include "bench/workloads.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "scrivet/key_search.h"

namespace bench {
namespace {

// Line i of workload a, and the 15-byte key that it holds and no other
// line of a does.
std::string shortLine(std::size_t i) { return lineText(i) + " run"; }
std::string shortKey(std::size_t i) {
  char key[32];
  std::snprintf(key, sizeof key, "%07zu k%03zu; t", i, (i - 1) % 1000);
  return key;
}

}  // namespace

void writeNumbered(std::ostream& out, std::size_t number, std::string_view text) {
  char prefix[24];
  char* end = std::to_chars(prefix, prefix + sizeof prefix - 1, number).ptr;
  *end++ = ' ';
  out.write(prefix, end - prefix);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out << std::endl;
}

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

std::size_t workloadLines(char workload, std::size_t n) {
  return workload == 'c' ? std::max<std::size_t>(n / 2000, 1) : n;
}

std::string workloadText(char workload, std::size_t i) {
  if (workload != 'c') return shortLine(i);
  // The lines of a from 100 i on, cut at 4 KiB: line i is the only one
  // that holds shortLine(100 i).
  std::string text;
  for (std::size_t j = 100 * i; text.size() < 4096; ++j) text += shortLine(j) + ' ';
  return text.substr(0, 4096);
}

std::string workloadKey(char workload, std::size_t n) {
  const std::size_t middle = (workloadLines(workload, n) + 1) / 2;
  if (workload == 'b') return "k999";
  return shortKey(workload == 'c' ? 100 * middle : middle);
}

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

void BareChain::find(std::string_view key, std::ostream& out) const {
  const scrivet::KeySearch search(key);
  findIn(
      head.next, [&search](std::string_view text) { return search.foundIn(text); }, out);
}

void BareChain::scan(std::string_view key, std::ostream& out) const {
  findIn(
      head.next, [key](std::string_view text) { return text.find(key) != std::string_view::npos; },
      out);
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
