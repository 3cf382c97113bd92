// The export writer fed stored texts made from the input, as a damaged or foreign history could
// hold them: whatever they are, the document parses, and it keeps exactly the sample texts that
// the validating parser accepts on its own (the writer's quick check may spare the parser work,
// never change its verdict). Texts after the first are often the first with a few bytes changed,
// as consecutive readings are. Pieces of any size, so that texts are checked wherever they fall in
// one.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <simdjson.h>
#include <string>

#include "history/export_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  std::string document;
  // Small pieces: the texts cross from one piece to the next and the writer's thread sees many.
  // Sometimes the sink has room for only so many bytes, as a full disk would.
  const std::size_t pieceSize = input.ConsumeIntegralInRange<std::size_t>(0, 1024);
  const std::size_t room =
      input.ConsumeBool() ? input.ConsumeIntegralInRange<std::size_t>(0, 4096) : SIZE_MAX;
  tempyra::ExportWriter writer(
      [&](std::string_view bytes) {
        if (bytes.size() > room - document.size()) return false;
        document.append(bytes);
        return true;
      },
      pieceSize);
  std::optional<std::string> device;
  if (input.ConsumeBool()) device = input.ConsumeRandomLengthString(256);
  writer.device(device);
  simdjson::dom::parser parser;
  std::int64_t texts = 0, accepted = 0;
  std::string first;
  for (int n = input.ConsumeIntegralInRange(0, 8); n > 0; --n, ++texts) {
    std::string text = input.ConsumeRandomLengthString(512);
    if (texts == 0) {
      first = text;
    } else if (input.ConsumeBool() && !first.empty()) {
      // The first text with the input's bytes written over it at a few places.
      text = first;
      for (int k = input.ConsumeIntegralInRange(1, 3); k > 0; --k) {
        const std::string piece = input.ConsumeRandomLengthString(8);
        const auto at = input.ConsumeIntegralInRange<std::size_t>(0, text.size());
        text.replace(at, std::min(piece.size(), text.size() - at), piece);
      }
    }
    accepted += parser.parse(simdjson::padded_string(text)).error() == simdjson::SUCCESS;
    writer.sample(text);
  }
  // Abandoned half-way (a failed read): the writer's thread stops, nothing leaks or hangs.
  if (input.ConsumeBool()) return 0;
  for (int n = input.ConsumeIntegralInRange(0, 2); n > 0; --n) {
    writer.event({{"detail", input.ConsumeRandomLengthString(64)},
                  {input.ConsumeRandomLengthString(8), input.ConsumeRandomLengthString(16)}});
  }
  writer.finish();
  if (!writer.good()) return 0;  // the bytes after the refused ones were dropped

  const auto parsed = nlohmann::json::parse(document, nullptr, false);
  if (parsed.is_discarded() || !parsed.is_object()) __builtin_trap();
  const auto samples = static_cast<std::int64_t>(parsed.at("samples").size());
  if (samples != writer.samples() || samples != accepted || samples + writer.skipped() < texts ||
      samples + writer.skipped() > texts + 1) {
    __builtin_trap();
  }
  return 0;
}
