// scrivet_sessions KIND LINES [SEARCHES]: writes the input that a whole
// program is timed on, built as the documents in memory are. KIND is
//   a, b, c or d      the search workload of LINES lines, then SEARCHES
//                     searches for its key, then quit;
//   a-text, a-key     the lines of workload a as a text file, or its key;
//   appends, boundary, offblock, first
//                     LINES lines appended, or inserted at line kBlock,
//                     1000 or 1 after the appends before it, then quit;
//   prompt-inserts    scrivet-prompt's input: LINES appends, then LINES
//                     times insert 1, then quit.
#include <cstdlib>
#include <iostream>
#include <string>

#include "bench/workloads.h"

namespace {

// Writes the commands of scrivet that build a document.
class Session {
 public:
  void push(const std::string& text) {
    std::cout << "insertEnd \"" << text << "\"\n";
    ++lines;
  }
  void insert(int p, const std::string& text) {
    std::cout << "insert " << p << " \"" << text << "\"\n";
    ++lines;
  }
  std::size_t size() const { return lines; }

 private:
  std::size_t lines = 0;
};

int usage() {
  std::cerr << "usage: scrivet_sessions a|b|c|d|a-text|a-key|appends|boundary|offblock|first|"
               "prompt-inserts LINES [SEARCHES]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::string kind = argc > 2 ? argv[1] : "";
  const std::size_t n = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 0;
  if (n == 0) return usage();
  Session session;
  if (kind.size() == 1 && kind.find_first_of("abcd") == 0) {
    bench::buildWorkload(session, kind[0], n);
    const std::string search = "search \"" + bench::workloadKey(kind[0], n) + "\"\n";
    for (long i = argc > 3 ? std::strtol(argv[3], nullptr, 10) : 0; i > 0; --i) std::cout << search;
  } else if (kind == "a-text") {
    for (std::size_t i = 1; i <= n; ++i) std::cout << bench::workloadText('a', i) << '\n';
  } else if (kind == "a-key") {
    std::cout << bench::workloadKey('a', n) << '\n';
  } else if (kind == "appends") {
    bench::insertAt(session, 0, n);
  } else if (kind == "boundary") {
    bench::insertAt(session, bench::kBlock, n);
  } else if (kind == "offblock") {
    bench::insertAt(session, 1000, n);
  } else if (kind == "first") {
    bench::insertAt(session, 1, n);
  } else if (kind == "prompt-inserts") {
    for (std::size_t i = 1; i <= n; ++i) std::cout << "insertEnd an entry of the prompted editor\n";
    for (std::size_t i = 1; i <= n; ++i) std::cout << "insert 1 an entry put first\n";
  } else {
    return usage();
  }
  if (kind.rfind("a-", 0) != 0) std::cout << "quit\n";
  return std::cout.flush() ? 0 : 1;
}
