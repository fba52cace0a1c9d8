// scrivet_search_bench: LinkedList::find where a plain scan would take time
// in the product of line and key length, and where it was already fast,
// for the section "Searching" of docs/performance.md. Each target is a
// ratio of wall-clock medians taken in this run:
//   keys on long lines  a...ab, ba...a and a...aba...a on a line of a, and
//                       a...a on (a^999 b)..., all absent: a 32 KiB key
//                       against a 2 KiB key on a 4 MiB line, and an 8 MiB
//                       line against a 4 MiB line with a 16 KiB key;
//   short keys          keys kNNN; that 1 line in 1000 holds, on lines of
//                       40 bytes: find against the scan it replaced
//                       (std::string_view::find on each line of a chain).
// `scrivet_search_bench figure prepare`, for make bench-tricks, prints the
// milliseconds of one search for a 32 KiB a...ab on a 4 MiB line of a.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "bench/workloads.h"

namespace {

using bench::median;
using bench::printTarget;
using scrivet::LinkedList;

constexpr std::size_t kKiB = 1024;
constexpr std::size_t kMiB = 1024 * kKiB;

bench::NullBuffer discardBuffer;
std::ostream discard(&discardBuffer);

// A document of one line.
struct OneLine {
  explicit OneLine(std::string text) { document.push(std::move(text)); }
  LinkedList document;
};

// One document and the key to search it for.
struct Search {
  const LinkedList* document;
  std::string key;
};

// The time of one search of each, the median of 9 runs of `searches`
// searches each; the searches take turns, run by run, so that the
// machine's slower moments fall on all of them alike.
std::vector<double> searchTimes(const std::vector<Search>& all, int searches) {
  std::vector<std::vector<double>> times(all.size());
  for (int run = 0; run < 9; ++run) {
    for (std::size_t i = 0; i < all.size(); ++i) {
      times[i].push_back(bench::secondsOf([&] {
        for (int n = 0; n < searches; ++n) all[i].document->find(all[i].key, discard);
      }));
    }
  }
  std::vector<double> medians(all.size());
  for (std::size_t i = 0; i < all.size(); ++i) medians[i] = median(times[i]) / searches;
  return medians;
}

struct KeyShape {
  const char* name;                  // how the key looks
  std::string (*key)(std::size_t);   // the key of a given size
  std::string (*line)(std::size_t);  // the line it is looked for in
};

std::string aThenB(std::size_t size) { return std::string(size - 1, 'a') + 'b'; }
std::string bThenA(std::size_t size) { return 'b' + std::string(size - 1, 'a'); }
std::string bInTheMiddle(std::size_t size) {
  return std::string(size / 2, 'a') + 'b' + std::string(size - size / 2 - 1, 'a');
}
std::string onlyA(std::size_t size) {
  std::string text(size, 'a');  // not {size, 'a'}, two bytes
  return text;
}
std::string runsOfA(std::size_t size) {
  std::string text;
  while (text.size() < size) text += std::string(999, 'a') + 'b';
  return text.substr(0, size);
}

void keysOnLongLines() {
  const KeyShape shapes[] = {{"a...ab on a...a", aThenB, onlyA},
                             {"ba...a on a...a", bThenA, onlyA},
                             {"a...aba...a on a...a", bInTheMiddle, onlyA},
                             {"a...a on (a^999 b)...", onlyA, runsOfA}};
  for (const KeyShape& shape : shapes) {
    const OneLine line4(shape.line(4 * kMiB));
    const OneLine line8(shape.line(8 * kMiB));
    const double once =
        bench::secondsOf([&] { line4.document.find(shape.key(2 * kKiB), discard); });
    const int searches = static_cast<int>(std::min(1000.0, std::ceil(0.02 / std::max(once, 1e-9))));
    const std::vector<double> t = searchTimes({{&line4.document, shape.key(2 * kKiB)},
                                               {&line4.document, shape.key(32 * kKiB)},
                                               {&line4.document, shape.key(16 * kKiB)},
                                               {&line8.document, shape.key(16 * kKiB)}},
                                              searches);
    printTarget(std::cout, std::string(shape.name) + ", 4 MiB line: 32 KiB key / 2 KiB key",
                t[1] / t[0], 2.0);
    printTarget(std::cout, std::string(shape.name) + ", 16 KiB key: 8 MiB line / 4 MiB line",
                t[3] / t[2], 2.5);
    std::printf(
        "        ms per search (runs of %d): 4 MiB line: 2 KiB key %.3f, 32 KiB key %.3f,"
        " 16 KiB key %.3f; 8 MiB line: 16 KiB key %.3f\n",
        searches, t[0] * 1e3, t[1] * 1e3, t[2] * 1e3, t[3] * 1e3);
  }
}

void shortKeys(std::size_t lines, int runs) {
  // Built in turns, so that both chains lie alike on the heap.
  LinkedList document;
  bench::BareChain chain;
  for (std::size_t i = 1; i <= lines; ++i) {
    document.push(bench::lineText(i));
    chain.push(bench::lineText(i));
  }
  std::mt19937 random(bench::kSeed);
  std::vector<double> newTimes;
  std::vector<double> oldTimes;
  for (int run = 0; run < runs; ++run) {
    const std::string key = bench::keyText(random());
    const auto timeNew = [&] {
      newTimes.push_back(bench::secondsOf([&] { document.find(key, discard); }));
    };
    const auto timeOld = [&] {
      oldTimes.push_back(bench::secondsOf([&] { chain.scan(key, discard); }));
    };
    if (run % 2 == 0) {
      timeNew();
      timeOld();
    } else {
      timeOld();
      timeNew();
    }
  }
  const double newTime = median(newTimes);
  const double oldTime = median(oldTimes);
  printTarget(std::cout,
              "short keys, " + std::to_string(lines) + " lines of 40 bytes: new / old find",
              newTime / oldTime, 1.10);
  std::printf("        ms per search, median of %d: new %.3f, old %.3f\n", runs, newTime * 1e3,
              oldTime * 1e3);
}

}  // namespace

int main(int argc, char** argv) {
  bench::heapInOrder();
  if (argc > 1) {
    if (argc != 3 || std::string_view(argv[1]) != "figure" ||
        std::string_view(argv[2]) != "prepare") {
      std::fprintf(stderr, "usage: scrivet_search_bench [figure prepare]\n");
      return 2;
    }
    const OneLine line(onlyA(4 * kMiB));
    std::printf("%.4f\n", searchTimes({{&line.document, aThenB(32 * kKiB)}}, 200)[0] * 1e3);
    return 0;
  }
  std::printf("search: wall-clock medians on this machine, in this run\n");
  keysOnLongLines();
  shortKeys(50000, 31);
  shortKeys(1000000, 11);
  return 0;
}
