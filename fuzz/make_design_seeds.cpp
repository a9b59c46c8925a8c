// Writes a few valid design files as the fuzzer's starting corpus: without them it
// would spend its time guessing the magic bytes.
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "core/DesignFile.h"

int main(int argc, char** argv) {
  using namespace tavrin::core;
  if (argc != 2) return 2;
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir);
  for (int stages : {0, 1, 3, 11}) {
    auto s = std::make_unique<DesignState>();
    s->designStep = static_cast<std::int16_t>(stages > 0 ? 7 : 2);
    s->stageCount = static_cast<std::int16_t>(stages);
    s->userResistorValues = stages == 3;
    for (int st = 1; st <= stages; ++st) {
      s->stages[st].type = static_cast<std::uint8_t>(st % 8);
      s->stages[st].name = "SLP ";
      s->circuits[st].CircuitNumber = 1;
      s->circuits[st].CircuitId = 11;
    }
    const auto bytes = EncodeDesignFile(*s);
    std::ofstream(dir / ("seed" + std::to_string(stages) + ".zd3"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  return 0;
}
