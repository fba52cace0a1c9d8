#include <iostream>

#include "command_loop.h"

int main() {
  std::ios::sync_with_stdio(false);
  std::cin.tie(nullptr);
  return scrivet_prompt::run(std::cin, std::cout);
}
