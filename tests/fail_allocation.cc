// Preloaded into a program (LD_PRELOAD), makes the k-th call of the global
// operator new throw std::bad_alloc, k being the number in the environment
// variable FAIL_ALLOCATION_AT; calls before and after it succeed. It writes
// "allocations: N" to standard error at exit when FAIL_ALLOCATION_COUNT is
// set, so that a test knows how many points there are to try.

#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

long calls = 0;

long failAt() {
  static const long at = [] {
    const char* value = std::getenv("FAIL_ALLOCATION_AT");
    return value != nullptr ? std::atol(value) : 0;
  }();
  return at;
}

struct CountAtExit {
  ~CountAtExit() {
    if (std::getenv("FAIL_ALLOCATION_COUNT") != nullptr) {
      std::fprintf(stderr, "allocations: %ld\n", calls);
    }
  }
} countAtExit;

}  // namespace

void* operator new(std::size_t size) {
  if (++calls == failAt()) throw std::bad_alloc();
  void* memory = std::malloc(size == 0 ? 1 : size);
  if (memory == nullptr) throw std::bad_alloc();
  return memory;
}

void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t /*size*/) noexcept { std::free(memory); }
