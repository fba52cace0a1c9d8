// Feeds arbitrary bytes to scrivet's command loop and to its reference model:
// the outputs must be identical and the exit status 0. The same bytes are
// then replayed on the line list directly, with its invariants checked after
// every operation. Any difference aborts, so libFuzzer keeps the input.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "scrivet/command_loop.h"
#include "scrivet_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  const int status = scrivet::run(in, out, err);
  if (status != 0 || out.str() != model::scrivetOutput(input)) {
    std::fprintf(stderr, "scrivet and its model disagree (status %d)\n", status);
    std::abort();
  }
  if (model::linkedListOutput(input) != model::scrivetOutput(input, true)) {
    std::fprintf(stderr, "the line list parts from the model, or its invariants fail\n");
    std::abort();
  }
  return 0;
}
