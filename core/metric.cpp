#include "core/metric.h"

#include <cmath>
#include <utility>

namespace tempyra {

Metric::Metric(MetricKind kind, std::string name, std::optional<double> value, std::string unit,
               std::string source, double at, std::string quality)
    : kind(kind),
      name(std::move(name)),
      value(value),
      unit(std::move(unit)),
      source(std::move(source)),
      timestamp(at),
      quality(value ? std::move(quality) : std::string(kNotAvailable)) {}

bool Metric::valid(double at, double timeout) const {
  if (!value || !std::isfinite(*value)) return false;
  const double age = at - timestamp;
  return age >= 0 && age <= timeout;
}

}  // namespace tempyra
