// Arbitrary record bodies of every kind (the first input byte picks the kind) through the
// plug-in's record reader and the host's: no crash, no over-read, and the two agree.
#include <cstdio>
#include <cstdlib>

#include "record_body_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint32_t kind = vurkfuzz::kKinds[data[0] % std::size(vurkfuzz::kKinds)];
  const std::string problem = vurkfuzz::CheckRecordBody(kind, std::span(data + 1, size - 1));
  if (!problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    std::abort();
  }
  return 0;
}
