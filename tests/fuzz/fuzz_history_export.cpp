// The export writer fed stored texts made from the input, as a damaged or foreign history could
// hold them: whatever they are, the document parses, and every sample text is either copied or
// counted as left out.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "history/export_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  std::string document;
  tempyra::ExportWriter writer([&](std::string_view bytes) { document.append(bytes); });
  std::optional<std::string> device;
  if (input.ConsumeBool()) device = input.ConsumeRandomLengthString(256);
  writer.device(device);
  std::int64_t texts = 0;
  for (int n = input.ConsumeIntegralInRange(0, 8); n > 0; --n, ++texts) {
    writer.sample(input.ConsumeRandomLengthString(512));
  }
  for (int n = input.ConsumeIntegralInRange(0, 2); n > 0; --n) {
    writer.event({{"detail", input.ConsumeRandomLengthString(64)},
                  {input.ConsumeRandomLengthString(8), input.ConsumeRandomLengthString(16)}});
  }
  writer.finish();

  const auto parsed = nlohmann::json::parse(document, nullptr, false);
  if (parsed.is_discarded() || !parsed.is_object()) __builtin_trap();
  const auto samples = static_cast<std::int64_t>(parsed.at("samples").size());
  if (samples != writer.samples() || samples + writer.skipped() < texts ||
      samples + writer.skipped() > texts + 1) {
    __builtin_trap();
  }
  return 0;
}
