// Microbenchmarks of the line list: the time of one insert, remove, edit
// and find on documents of 10^3 to 10^6 lines of about 40 bytes, at line
// numbers drawn uniformly at random from a fixed seed.
//
// Each benchmark builds its document once, outside the timing, and keeps
// its size constant, to within kBatch lines:
//   listInsertRemove  one iteration is an insert at a random line, then a
//                     remove at a random line.
//   listInsert        kBatch inserts are timed; kBatch removes, untimed,
//                     then bring the document back to its size.
//   listRemove        kBatch removes are timed; kBatch inserts, untimed,
//                     then bring the document back to its size.
//   listEdit          one edit per iteration.
//   listFind          one search per iteration for a key that 1 line in
//                     1000 holds, written to a stream that discards it.
// The column per_op is the wall-clock time of one operation (of one search
// for listFind). After the table comes, for each benchmark, how much per_op
// grows from 10^4 to 10^6 lines; then what the index costs in memory and
// against a bare chain (index_costs.cc).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <iomanip>
#include <iostream>
#include <map>
#include <ostream>
#include <random>
#include <streambuf>
#include <string>
#include <vector>

#include "bench/common.h"
#include "bench/index_costs.h"
#include "scrivet/linked_list.h"

namespace {

using bench::keyText;
using bench::lineText;
using bench::NullBuffer;
using scrivet::LinkedList;

constexpr int kBatch = 16;                 // timed operations per iteration of listInsert
                                           // and listRemove
constexpr std::size_t kDraws = 1 << 16;    // random numbers drawn before the timing; a power
                                           // of two
constexpr std::size_t kTexts = 256;        // distinct texts given to insert and edit
constexpr std::uint32_t kSeed = 20240607;  // the generator's seed, the same on every run
constexpr std::size_t kSmall = 10000;      // the sizes compared after the table
constexpr std::size_t kLarge = 1000000;

// Appends lines 1..n to document.
void fill(LinkedList& document, std::size_t n) {
  for (std::size_t i = 1; i <= n; ++i) document.push(lineText(i));
}

// Random numbers drawn once from kSeed, then handed out round-robin.
class Draws {
 public:
  Draws() : values(kDraws) {
    std::mt19937 generator(kSeed);
    for (std::uint32_t& value : values) value = static_cast<std::uint32_t>(generator());
  }

  // A line number in 1..n, uniformly distributed. REQUIRES: 1 <= n < 2^31.
  int lineIn(std::size_t n) {
    const std::uint64_t value = values[next++ & (kDraws - 1)];
    return static_cast<int>(1 + ((value * n) >> 32));
  }

  // A number in 0..2^32-1.
  std::uint32_t any() { return values[next++ & (kDraws - 1)]; }

 private:
  std::vector<std::uint32_t> values;  // kDraws numbers from the generator
  std::size_t next = 0;               // the index of the next one to hand out
};

// kTexts texts like those of the document, for insert and edit.
std::vector<std::string> newTexts(std::size_t n) {
  std::vector<std::string> texts;
  for (std::size_t i = 1; i <= kTexts; ++i) texts.push_back(lineText(n + i));
  return texts;
}

// Records that each iteration did opsPerIteration operations: their rate
// as items_per_second and the time of one as per_op.
void countOps(benchmark::State& state, int opsPerIteration) {
  const auto ops = static_cast<std::int64_t>(state.iterations()) * opsPerIteration;
  state.SetItemsProcessed(ops);
  state.counters["per_op"] = benchmark::Counter(
      static_cast<double>(ops), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A document of n lines, random line numbers, and texts to put in.
struct Workload {
  explicit Workload(std::size_t n) : texts(newTexts(n)) {
    fill(document, n);
    // The index takes in appended lines when a line number is first
    // looked up: let that happen here, outside the timing.
    document.edit(static_cast<int>(n), lineText(n));
  }

  // The next text, round the kTexts in turn.
  const std::string& text() { return texts[next++ % kTexts]; }

  LinkedList document;
  Draws draws;
  std::vector<std::string> texts;
  std::size_t next = 0;
};

void listInsertRemove(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  Workload work(n);
  for (auto _ : state) {
    work.document.insert(work.draws.lineIn(n + 1), work.text());
    work.document.remove(work.draws.lineIn(n + 1));
  }
  countOps(state, 2);
}

void listInsert(benchmark::State& state) {
  Workload work(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kBatch; ++i)
      work.document.insert(work.draws.lineIn(work.document.size() + 1), work.text());
    state.SetIterationTime(secondsSince(start));
    for (int i = 0; i < kBatch; ++i) work.document.remove(work.draws.lineIn(work.document.size()));
  }
  countOps(state, kBatch);
}

void listRemove(benchmark::State& state) {
  Workload work(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kBatch; ++i) work.document.remove(work.draws.lineIn(work.document.size()));
    state.SetIterationTime(secondsSince(start));
    for (int i = 0; i < kBatch; ++i)
      work.document.insert(work.draws.lineIn(work.document.size() + 1), work.text());
  }
  countOps(state, kBatch);
}

void listEdit(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  Workload work(n);
  for (auto _ : state) work.document.edit(work.draws.lineIn(n), work.text());
  countOps(state, 1);
}

void listFind(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  LinkedList document;
  fill(document, n);
  Draws draws;
  std::vector<std::string> keys;
  for (std::size_t i = 0; i < kTexts; ++i) keys.push_back(keyText(draws.any()));
  NullBuffer discard;
  std::ostream out(&discard);
  std::size_t key = 0;
  for (auto _ : state) document.find(keys[key++ % kTexts], out);
  if (!out) state.SkipWithError("the discarding stream failed");
  countOps(state, 1);
  // For a search, an item is a line looked at.
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}

// Every benchmark runs at 10^3, 10^4, 10^5 and 10^6 lines.
void atEverySize(benchmark::internal::Benchmark* benchmark) {
  benchmark->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMicrosecond);
}

BENCHMARK(listInsertRemove)->Apply(atEverySize)->UseRealTime();
BENCHMARK(listInsert)->Apply(atEverySize)->UseManualTime();
BENCHMARK(listRemove)->Apply(atEverySize)->UseManualTime();
BENCHMARK(listEdit)->Apply(atEverySize)->UseRealTime();
BENCHMARK(listFind)->Apply(atEverySize)->UseRealTime()->Unit(benchmark::kMillisecond);

// The usual console table, followed by the growth of per_op from kSmall
// to kLarge lines for every benchmark that ran at both sizes.
class GrowthReporter : public benchmark::ConsoleReporter {
 public:
  GrowthReporter() : ConsoleReporter(OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      const auto counter = run.counters.find("per_op");
      if (counter == run.counters.end()) continue;
      perOp[run.run_name.function_name][run.run_name.args] = counter->second.value;
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::ostream& out = GetOutputStream();
    bool first = true;
    for (const auto& [name, bySize] : perOp) {
      const auto small = bySize.find(std::to_string(kSmall));
      const auto large = bySize.find(std::to_string(kLarge));
      if (small == bySize.end() || large == bySize.end() || small->second <= 0) continue;
      if (first) {
        out << "\nper_op from " << kSmall << " to " << kLarge << " lines:\n";
        first = false;
      }
      out << std::fixed << std::setprecision(3) << "  " << std::left << std::setw(18) << name
          << std::right << std::setw(12) << small->second * 1e6 << " us" << std::setw(14)
          << large->second * 1e6 << " us   x " << std::setprecision(1)
          << large->second / small->second << "\n";
    }
  }

 private:
  // Seconds per operation, by benchmark name, then by document size.
  std::map<std::string, std::map<std::string, double>> perOp;
};

}  // namespace

// Takes the usual Google Benchmark flags (--benchmark_filter=listEdit,
// --benchmark_min_time=0.1, --benchmark_out=FILE ...); the console table is
// always the one above.
int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  GrowthReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  std::cout << '\n';
  bench::reportIndexBytes(std::cout);
  bench::reportCatchUp(std::cout);
  std::cout << '\n';
  bench::compareWithBareChain(std::cout);
  return 0;
}
