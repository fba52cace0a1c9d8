#include <cstdio>
#include <iostream>
#include <new>

#include "command_loop.h"

int main() {
  try {
    std::ios::sync_with_stdio(false);
  } catch (const std::bad_alloc&) {
    // The standard streams are not to be trusted after a switch that
    // failed half way; C's stderr is still there.
    std::fputs("scrivet: out of memory\n", stderr);
    return 1;
  }
  std::cin.tie(nullptr);
  return scrivet::run(std::cin, std::cout, std::cerr);
}
