#include "bench/index_costs.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iomanip>
#include <memory>
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

// A document of n 40-byte lines, built by appending lines 1 to at - 1 and
// inserting every other line at line number at (at 0: appends only).
std::unique_ptr<LinkedList> insertedAt(std::size_t at, std::size_t n) {
  auto document = std::make_unique<LinkedList>();
  const std::size_t appends = at == 0 ? n : std::min(n, at - 1);
  for (std::size_t i = 1; i <= appends; ++i) document->push(lineText(i));
  for (std::size_t i = appends + 1; i <= n; ++i) {
    document->insert(static_cast<int>(at), lineText(i));
  }
  return document;
}

// A document of n appended lines of which the first keep of every group
// of lines then stay.
std::unique_ptr<LinkedList> thinned(std::size_t n, std::size_t keep, std::size_t group) {
  auto document = insertedAt(0, n);
  indexWhole(*document);
  for (std::size_t at = 1; at <= document->size(); at += keep) {
    for (std::size_t gone = keep; gone < group; ++gone) {
      if (at + keep > document->size()) break;
      document->remove(static_cast<int>(at + keep));
    }
  }
  return document;
}

}  // namespace

void reportIndexBytes(std::ostream& out) {
  constexpr std::size_t kLines = 500000;
  constexpr std::size_t kMillion = 1000000;
  constexpr std::size_t kBlock = SCRIVET_INDEX_CAPACITY;
  // Of every group of lines, the first keep stay: the last two leave each
  // block a quarter and a third of its size, the least it holds before it
  // merges.
  struct Thinning {
    std::size_t keep;
    std::size_t group;
  };
  const Thinning thinnings[] = {{1, 5}, {1, 3}, {kBlock / 4, kBlock}, {(kBlock + 2) / 3, kBlock}};
  std::vector<std::pair<std::string, double>> results;
  const auto record = [&](const std::string& what, LinkedList& document) {
    indexWhole(document);
    results.emplace_back(what, bytesPerLine(document));
  };
  record("5*10^5 appends, then an edit of the last line", *insertedAt(0, kLines));
  record("5*10^5 inserts on a block boundary", *insertedAt(kBlock, kLines));
  record("5*10^5 inserts at line 1000", *insertedAt(1000, kLines));
  record("5*10^5 inserts at line 1", *insertedAt(1, kLines));
  for (const Thinning& thinning : thinnings) {
    record("10^6 appends, " + std::to_string(thinning.group - thinning.keep) + " lines of every " +
               std::to_string(thinning.group) + " deleted",
           *thinned(kMillion, thinning.keep, thinning.group));
  }
  out << "index bytes a line, in documents of 40-byte lines built by:\n";
  for (const auto& [what, bytes] : results) {
    out << "  " << std::left << std::setw(62) << what << std::right << std::fixed
        << std::setprecision(1) << bytes << "\n";
  }
  for (const auto& [what, bytes] : results) {
    printTarget(out, what + ": index bytes a line", bytes, 32);
  }

  // Small documents, built the same ways from 10 to 3,000 lines: the most
  // bytes a line once they have kSmall lines, and the most bytes below.
  constexpr std::size_t kSmall = 300;
  double mostALine = 0;
  std::size_t mostBelow = 0;
  for (std::size_t n = 10; n <= 3000; n += 10) {
    std::vector<std::unique_ptr<LinkedList>> documents;
    for (const std::size_t at : {std::size_t{0}, kBlock, std::size_t{1}}) {
      documents.push_back(insertedAt(at, n));
    }
    for (const Thinning& thinning : thinnings) {
      documents.push_back(thinned(n, thinning.keep, thinning.group));
    }
    for (const auto& document : documents) {
      indexWhole(*document);
      if (document->size() >= kSmall) {
        mostALine = std::max(mostALine, bytesPerLine(*document));
      } else {
        mostBelow = std::max(mostBelow, document->indexBytes());
      }
    }
  }
  printTarget(out, "documents of 300 lines or more, built so: index bytes a line", mostALine, 32);
  printTarget(out, "documents under 300 lines, built so: index KiB",
              static_cast<double>(mostBelow) / 1024, 10);
}

void reportCatchUp(std::ostream& out) {
  constexpr std::size_t kLines = 1000000;
  constexpr int kRuns = 5;
  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) {
    const auto document = insertedAt(0, kLines);
    const auto start = Clock::now();
    document->edit(1, lineText(1));
    times.push_back(secondsBetween(start, Clock::now()));
  }
  out << "the first edit after 10^6 appends, which has the index take them in: " << std::fixed
      << std::setprecision(1) << median(times) * 1e3 << " ms, median of " << kRuns << "\n";
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
  // Each run's ratio of the two, which ran one just after the other, so
  // that a slower moment of the machine weighs on both.
  std::vector<double> ratio[3];
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
    ratio[0].push_back(indexed.append / bare.append);
    ratio[1].push_back(indexed.list / bare.list);
    ratio[2].push_back(indexed.search / bare.search);
  }
  const char* what[] = {"append", "list", "search"};
  const double limit[] = {1.15, 1.10, 1.10};
  out << "LinkedList against a bare chain, " << kLines << " lines, ns per line, medians of "
      << kRuns << " interleaved runs (the targets: medians of the runs' ratios):\n";
  for (int i = 0; i < 3; ++i) {
    out << "  " << std::left << std::setw(8) << what[i] << std::right << std::fixed
        << std::setprecision(2) << " bare chain " << std::setw(8) << median(chain[i]) * 1e9
        << "   LinkedList " << std::setw(8) << median(list[i]) * 1e9 << "\n";
  }
  for (int i = 0; i < 3; ++i) {
    const std::string description = std::string(what[i]) + ": LinkedList / bare chain, per line";
    printTarget(out, description, median(ratio[i]), limit[i]);
  }
}

}  // namespace bench
