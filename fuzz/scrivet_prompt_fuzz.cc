// Feeds arbitrary bytes to scrivet-prompt's command loop and to its reference
// model: the outputs must be identical and the exit status 0. Any difference
// aborts, so libFuzzer keeps the input.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "prompt_model.h"
#include "scrivet-prompt/command_loop.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  const int status = scrivet_prompt::run(in, out, err);
  if (status != 0 || out.str() != model::promptOutput(input)) {
    std::fprintf(stderr, "scrivet-prompt and its model disagree (status %d)\n", status);
    std::abort();
  }
  return 0;
}
