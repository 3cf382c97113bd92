#pragma once
// Parsers for /proc/stat and /proc/[pid]/stat. Pure functions over the file's bytes, so they are
// fuzzed and tested without a /proc.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tempyra {

// The fields of /proc/[pid]/stat the provider uses. `comm` points into the parsed buffer.
struct ProcPidStat {
  std::int64_t pid = 0;
  std::string_view comm;  // raw bytes, not validated UTF-8; may hold spaces, ')' and newlines
  char state = '?';
  std::uint64_t flags = 0;
  std::uint64_t utime = 0;      // clock ticks
  std::uint64_t stime = 0;      // clock ticks
  // User and system time of its children that ended and were waited for, clock ticks. The
  // kernel adds a child's whole time (its own and its reaped children's) when it is reaped.
  std::uint64_t cutime = 0;
  std::uint64_t cstime = 0;
  std::uint64_t startTime = 0;  // clock ticks after boot
};

// Absent when the text is not a stat line: no "(...)", fewer than 20 fields after the command
// name, or a used field that is not a number. The command name ends at the last ')', because
// the name is printed unescaped and every later field is numeric.
std::optional<ProcPidStat> parseProcPidStat(std::string_view text);

// Host tick counters from the first "cpu " line of /proc/stat, folded into the four counters
// user, system, idle, nice: user and nice already include guest time; system counts irq,
// softirq and steal (time the CPU was not ours); idle counts iowait. Missing trailing columns
// count as 0. Absent when there is no such line or it has fewer than 4 numbers.
std::optional<std::array<std::uint64_t, 4>> parseHostTicks(std::string_view text);

}  // namespace tempyra
