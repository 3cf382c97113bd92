#pragma once
// The monitor's snapshots and the copied user defaults as text, and back: what travels between
// the process that runs the monitor and the process that shows its windows. No Qt.
//
// Each text is one compact JSON document without a newline character. Decoding the text of a
// value gives back exactly that value: every field, every double to the bit (-0 and the
// non-finite ones included: NaN and the infinities travel as the strings "NaN", "Infinity" and
// "-Infinity"), every text byte for byte (a text that is not valid UTF-8 travels as the list
// of its byte values). Records are JSON arrays of their fields in declaration order; enumerations
// are their case numbers. Both processes run the same build, so the text is no stored format:
// it may change with any release.
//
// Decoding refuses, as an error with a short reason and never by crashing or throwing: text that
// is not one JSON document, a field of the wrong JSON type, a record with too few or too many
// fields, an enumeration number out of range, an integer outside its field's range.
#include <string>
#include <string_view>

#include "app/copied_defaults.h"
#include "core/expected.h"

namespace tempyra {

struct LiveFacts;
struct HistoryState;
struct SetupState;

std::string encodeLiveFacts(const LiveFacts& facts);
Expected<LiveFacts> decodeLiveFacts(std::string_view text);

std::string encodeHistoryState(const HistoryState& history);
Expected<HistoryState> decodeHistoryState(std::string_view text);

std::string encodeSetupState(const SetupState& setup);
Expected<SetupState> decodeSetupState(std::string_view text);

std::string encodeDefaults(const DefaultsCopy& copy);
Expected<DefaultsCopy> decodeDefaults(std::string_view text);

std::string encodeDefaultWrite(const DefaultWrite& write);
Expected<DefaultWrite> decodeDefaultWrite(std::string_view text);

}  // namespace tempyra
