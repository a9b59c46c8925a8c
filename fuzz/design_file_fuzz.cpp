// libFuzzer target: any byte string given to the design-file reader must either be
// refused with a message or yield a design whose counts and indices stay in range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "core/DesignFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tavrin::core;
  const std::vector<std::uint8_t> bytes(data, data + size);
  auto state = std::make_unique<DesignState>();
  const DesignReadResult r = DecodeDesignFile(bytes, *state);
  if (r.ok()) {
    if (state->stageCount < 0 || state->stageCount > kMaxStages) std::abort();
    if (state->chosenSlot < 0 || state->chosenSlot >= kSlotCount) std::abort();
    for (const ApproxResult& a : state->results)
      if (a.polePairs < 0 || a.polePairs > kMaxEntries || a.zeroPairs < 0 || a.zeroPairs > kMaxEntries) std::abort();
    // What was read is written back without trouble.
    (void)EncodeDesignFile(*state);
  } else if (r.message.empty()) {
    std::abort();
  }
  return 0;
}
