#include "bench/index_costs.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iomanip>
#include <vector>

#include "bench/common.h"
#include "scrivet/linked_list.h"

namespace bench {

namespace {

using scrivet::LinkedList;
using Clock = std::chrono::steady_clock;

double secondsBetween(Clock::time_point start, Clock::time_point end) {
  return std::chrono::duration<double>(end - start).count();
}

// Seconds per line of one run: appending every text, listing the
// document, and searching it for each key.
struct PerLine {
  double append;
  double list;
  double search;
};

template <typename Document>
PerLine timeOnce(const std::vector<std::string>& texts, const std::vector<std::string>& keys) {
  NullBuffer discard;
  std::ostream out(&discard);
  Document document;
  const auto start = Clock::now();
  for (const std::string& text : texts) document.push(text);
  const auto appended = Clock::now();
  document.print(out);
  const auto listed = Clock::now();
  for (const std::string& key : keys) document.find(key, out);
  const auto searched = Clock::now();
  const auto lines = static_cast<double>(texts.size());
  return {secondsBetween(start, appended) / lines, secondsBetween(appended, listed) / lines,
          secondsBetween(listed, searched) / lines / static_cast<double>(keys.size())};
}

// Has the index take in every line: an edit of the last one looks it up.
void indexWhole(LinkedList& document) {
  document.edit(static_cast<int>(document.size()), lineText(document.size()));
}

double bytesPerLine(const LinkedList& document) {
  return static_cast<double>(document.indexBytes()) / static_cast<double>(document.size());
}

}  // namespace

void reportIndexBytes(std::ostream& out) {
  constexpr std::size_t kLines = 500000;
  constexpr std::size_t kBlock = SCRIVET_INDEX_CAPACITY;
  struct Pattern {
    const char* name;
    std::size_t at;  // the line number inserted at after at - 1 appends; 0: appends only
  };
  const Pattern patterns[] = {
      {"5*10^5 appends, then an edit of the last line", 0},
      {"5*10^5 inserts on a block boundary", kBlock},
      {"5*10^5 inserts at line 1000", 1000},
      {"5*10^5 inserts at line 1", 1},
  };
  out << "index bytes a line, in documents of 40-byte lines built by:\n";
  std::vector<std::pair<std::string, double>> results;
  for (const Pattern& pattern : patterns) {
    LinkedList document;
    const std::size_t appends = pattern.at == 0 ? kLines : pattern.at - 1;
    for (std::size_t i = 1; i <= appends; ++i) document.push(lineText(i));
    for (std::size_t i = appends + 1; i <= kLines; ++i) {
      document.insert(static_cast<int>(pattern.at), lineText(i));
    }
    indexWhole(document);
    results.emplace_back(pattern.name, bytesPerLine(document));
  }
  // Deletions thin out a document built by appends, whose leaves are full:
  // the last two leave each block a quarter and a third of its size, the
  // least it holds before it merges.
  struct Thinning {
    std::size_t keep;  // of every group of lines, the first keep stay
    std::size_t group;
  };
  const Thinning thinnings[] = {{1, 5}, {1, 3}, {kBlock / 4, kBlock}, {(kBlock + 2) / 3, kBlock}};
  constexpr std::size_t kMillion = 1000000;
  for (const Thinning& thinning : thinnings) {
    LinkedList document;
    for (std::size_t i = 1; i <= kMillion; ++i) document.push(lineText(i));
    indexWhole(document);
    for (std::size_t at = 1; at <= document.size(); at += thinning.keep) {
      for (std::size_t gone = thinning.keep; gone < thinning.group; ++gone) {
        if (at + thinning.keep > document.size()) break;
        document.remove(static_cast<int>(at + thinning.keep));
      }
    }
    results.emplace_back("10^6 appends, " + std::to_string(thinning.group - thinning.keep) +
                             " lines of every " + std::to_string(thinning.group) + " deleted",
                         bytesPerLine(document));
  }
  for (const auto& [what, bytes] : results) {
    out << "  " << std::left << std::setw(62) << what << std::right << std::fixed
        << std::setprecision(1) << bytes << "\n";
  }
  for (const auto& [what, bytes] : results) {
    printTarget(out, what + ": index bytes a line", bytes, 32);
  }
}

void compareWithBareChain(std::ostream& out) {
  constexpr std::size_t kLines = 1000000;
  constexpr int kRuns = 11;
  heapInOrder();
  std::vector<std::string> texts;
  for (std::size_t i = 1; i <= kLines; ++i) texts.push_back(lineText(i));
  const std::vector<std::string> keys = {"k017;", "k404;", "k999;", "absent", "k500;"};
  // Untimed, so that the memory is the process's before the first run.
  timeOnce<BareChain>(texts, keys);
  timeOnce<LinkedList>(texts, keys);
  std::vector<double> chain[3];
  std::vector<double> list[3];
  for (int run = 0; run < kRuns; ++run) {
    // Interleaved, each going first every other run.
    const PerLine first =
        run % 2 == 0 ? timeOnce<BareChain>(texts, keys) : timeOnce<LinkedList>(texts, keys);
    const PerLine second =
        run % 2 == 0 ? timeOnce<LinkedList>(texts, keys) : timeOnce<BareChain>(texts, keys);
    const PerLine& bare = run % 2 == 0 ? first : second;
    const PerLine& indexed = run % 2 == 0 ? second : first;
    chain[0].push_back(bare.append);
    chain[1].push_back(bare.list);
    chain[2].push_back(bare.search);
    list[0].push_back(indexed.append);
    list[1].push_back(indexed.list);
    list[2].push_back(indexed.search);
  }
  const char* what[] = {"append", "list", "search"};
  const double limit[] = {1.15, 1.10, 1.10};
  out << "LinkedList against a bare chain, " << kLines << " lines, ns per line, medians of "
      << kRuns << " interleaved runs:\n";
  for (int i = 0; i < 3; ++i) {
    out << "  " << std::left << std::setw(8) << what[i] << std::right << std::fixed
        << std::setprecision(2) << " bare chain " << std::setw(8) << median(chain[i]) * 1e9
        << "   LinkedList " << std::setw(8) << median(list[i]) * 1e9 << "\n";
  }
  for (int i = 0; i < 3; ++i) {
    const std::string description = std::string(what[i]) + ": LinkedList / bare chain, per line";
    printTarget(out, description, median(list[i]) / median(chain[i]), limit[i]);
  }
}

}  // namespace bench
