#pragma once
// The export document, written piece by piece to a sink so that no part of the history is held
// in memory: the header, the device profile, every stored sample, every event.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tempyra {

// Stored texts are copied byte for byte when they are valid JSON. One that is not (a damaged row,
// or a foreign one) would make the whole document unreadable, so it is left out and counted
// (an unreadable device profile is written as null), and the document always parses.
//
// The document is gathered into pieces of about a mebibyte before it goes to the sink, and each
// stored text is checked where it is copied into the piece, so a reading is copied once.
//
// REQUIRES: device() once first, then any number of sample(), then any number of event(), then
// finish() once (which hands the last piece to the sink).
class ExportWriter {
 public:
  using Sink = std::function<void(std::string_view bytes)>;
  using Row = std::map<std::string, std::string>;

  explicit ExportWriter(Sink sink);
  ~ExportWriter();
  ExportWriter(const ExportWriter&) = delete;
  ExportWriter& operator=(const ExportWriter&) = delete;

  // The stored profile's text; nothing when there is no device row.
  void device(std::optional<std::string_view> json);
  // One stored reading's text; nothing for a NULL column.
  void sample(std::optional<std::string_view> json);
  // One event row: every column as a JSON string, members in key order.
  void event(const Row& row);
  void finish();

  std::int64_t samples() const { return samples_; }
  // Stored texts left out (or, for the device, written as null) because they were not JSON.
  std::int64_t skipped() const { return skipped_; }

 private:
  bool valid(std::string_view json);
  void put(std::string_view bytes);
  void flush();
  void enterEvents();

  struct Validator;
  Sink sink_;
  std::unique_ptr<Validator> validator_;
  std::unique_ptr<char[]> piece_;  // the piece being gathered, followed by the parser's padding
  std::size_t used_ = 0;
  std::string scratch_;
  std::int64_t samples_ = 0;
  std::int64_t skipped_ = 0;
  bool inEvents_ = false;
  bool firstEvent_ = true;
};

}  // namespace tempyra
