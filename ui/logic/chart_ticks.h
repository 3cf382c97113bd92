#pragma once
// Round axis marks for the history charts: times on 5, 10, 15 or 30-minute, hour and day
// boundaries of local time, temperatures on 1, 2, 5 or 10-degree steps (wider only for wider
// ranges). Time points are seconds since 1970 UTC.
#include <string>
#include <vector>

namespace tempyra {

struct AxisTick {
  double value = 0;
  // "14:30"; a day boundary or a day step shows the date, "6 Dec"; on data longer than a day
  // every mark names its day, "6 Dec 14:30".
  std::string label;
  friend bool operator==(const AxisTick&, const AxisTick&) = default;
};

struct TimeAxis {
  double min = 0, max = 0;      // the shown span: the data's, a little wider on both sides
  double step = 0;              // nominal seconds between marks
  std::vector<AxisTick> ticks;  // inside [min, max], in order
};

// At most `maxTicks` marks on the smallest round step that allows it. Less than ten minutes is
// shown as the ten minutes around it; non-finite input gives an empty axis.
TimeAxis timeAxis(double first, double last, int maxTicks = 8);

struct ValueAxis {
  double min = 0, max = 0, step = 1;  // min and max are multiples of step
  friend bool operator==(const ValueAxis&, const ValueAxis&) = default;
};

// The smallest round step that shows [low, high], with a little room, in at most `maxTicks`
// marks. Non-finite input gives 0 to 10 in steps of 2.
ValueAxis valueAxis(double low, double high, int maxTicks = 6);

}  // namespace tempyra
