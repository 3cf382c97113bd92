#include "history/export_writer.h"

#include <simdjson.h>

#include "core/json_writer.h"

namespace tempyra {

namespace {

constexpr std::string_view kHeader =
    R"({"schema":1,"units":"Per metric; timestamps are seconds since 1970 UTC","device":)";

}  // namespace

// simdjson's validating parser: strict JSON with valid UTF-8. What it refuses beyond the grammar
// (integers past 64 bits, numbers past the double range, escaped lone surrogates, nesting deeper
// than 1024 levels) never comes from the store's own writer, so refusing it only ever drops a
// foreign row, never a reading.
struct ExportWriter::Validator {
  simdjson::dom::parser parser;
};

ExportWriter::ExportWriter(Sink sink)
    : sink_(std::move(sink)), validator_(std::make_unique<Validator>()) {}

ExportWriter::~ExportWriter() = default;

bool ExportWriter::valid(std::string_view json) {
  return validator_->parser.parse(json.data(), json.size()).error() == simdjson::SUCCESS;
}

void ExportWriter::device(std::optional<std::string_view> json) {
  sink_(kHeader);
  if (json && !valid(*json)) {
    ++skipped_;
    json.reset();
  }
  sink_(json ? *json : "null");
  sink_(",\"samples\":[");
}

void ExportWriter::sample(std::optional<std::string_view> json) {
  if (!json || !valid(*json)) {
    ++skipped_;
    return;
  }
  if (samples_++ > 0) sink_(",");
  sink_(*json);
}

void ExportWriter::enterEvents() {
  if (inEvents_) return;
  inEvents_ = true;
  sink_("],\"events\":[");
}

void ExportWriter::event(const Row& row) {
  enterEvents();
  scratch_.assign(firstEvent_ ? "{" : ",{");
  firstEvent_ = false;
  bool firstMember = true;
  for (const auto& [key, value] : row) {
    if (!firstMember) scratch_.push_back(',');
    firstMember = false;
    JsonWriter::appendString(scratch_, key);
    scratch_.push_back(':');
    JsonWriter::appendString(scratch_, value);
  }
  scratch_.push_back('}');
  sink_(scratch_);
}

void ExportWriter::finish() {
  enterEvents();
  sink_("]}");
}

}  // namespace tempyra
