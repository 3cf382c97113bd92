#pragma once
// The export document, written piece by piece to a sink so that no part of the history is held
// in memory: the header, the device profile, every stored sample, every event.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace tempyra {

// Stored texts are copied byte for byte when they are valid JSON. One that is not (a damaged row,
// or a foreign one) would make the whole document unreadable, so it is left out and counted
// (an unreadable device profile is written as null), and the document always parses.
//
// The samples are gathered into pieces of about a mebibyte. Checking them and writing them takes
// as long as reading them from the store, so the two overlap: the calling thread copies each text
// into a piece, and a thread of the writer's own checks the texts of a full piece, closes the
// gaps of those left out and hands the piece to the sink. A few pieces are in flight, so memory
// does not grow with the history. The thread starts with the first piece of samples and is
// joined before event() or finish() writes anything, and by the destructor: it never outlives
// the writer.
//
// REQUIRES: one thread calls device() once first, then any number of sample(), then any number
// of event(), then finish() once (which hands the last bytes to the sink).
class ExportWriter {
 public:
  // Answers false once the bytes could not be kept (a full disk): the rest is dropped.
  // Called on the calling thread or on the writer's thread, never on both at once.
  using Sink = std::function<bool(std::string_view bytes)>;
  using Row = std::map<std::string, std::string>;

  // `pieceSize`: the bytes of samples gathered before they go to the sink (small ones let the
  // tests cross many pieces).
  explicit ExportWriter(Sink sink, std::size_t pieceSize = kPieceSize);
  // Stops the writer's thread without writing what is left.
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

  // False once the sink has refused bytes: the caller may stop reading.
  bool good() const { return !failed_.load(std::memory_order_relaxed); }
  // REQUIRES (both): finish() has returned.
  std::int64_t samples() const { return samples_; }
  // Stored texts left out (or, for the device, written as null) because they were not JSON.
  std::int64_t skipped() const { return skipped_ + nulls_; }

  // The size of the pieces handed to the sink: large enough that the file system's cost per
  // write vanishes, small enough that memory does not grow with the history.
  static constexpr std::size_t kPieceSize = 1 << 20;

 private:
  struct Piece;
  struct Pieces;
  struct Validator;

  void put(std::string_view bytes);
  void flush();
  void send(std::string_view bytes);
  void handOver(bool last);
  void enterEvents();
  // The writer's thread: checks and writes each full piece in order.
  void work();
  void writeSamples(Piece& piece);

  Sink sink_;
  const std::size_t pieceSize_;
  std::unique_ptr<Validator> validator_;  // the writer's thread's while it runs
  std::unique_ptr<Pieces> pieces_;
  std::unique_ptr<Piece> filling_;  // the piece the calling thread copies samples into
  std::thread thread_;
  bool alone_ = false;  // no thread could be started: the calling thread checks and writes too
  std::atomic<bool> failed_ = false;
  std::string text_;  // the header and the events, gathered on the calling thread
  std::int64_t samples_ = 0;  // the writer's thread's while it runs
  std::int64_t skipped_ = 0;  // the writer's thread's while it runs
  std::int64_t nulls_ = 0;
  bool inEvents_ = false;
  bool firstEvent_ = true;
};

}  // namespace tempyra
