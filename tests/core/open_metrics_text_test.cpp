#include "core/open_metrics_text.h"

#include <cmath>
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/model_json.h"

namespace tempyra {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

Metric celsius(const std::string& name, std::optional<double> value) {
  return Metric(metricKindFromStored(name, "\u00B0C"), name, value, "\u00B0C", "test", 10, "Measured");
}

Reading reading(std::vector<Metric> sensors = {}) {
  Reading r;
  r.timestamp = 1800000000.25;
  r.state = ThermalState::serious;
  r.cpu = Metric(MetricKind::cpuLoad, "CPU load", 18.4, "%", "test", 10, "Measured");
  r.sensors = std::move(sensors);
  r.power = PowerContext{PowerSource::battery, 43.7, false, {}};
  return r;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

TEST(OpenMetricsText, ThermalPressureAndPowerSourceAreStateSetsWithExactlyOneSet) {
  for (const ThermalState s : kAllThermalStates) {
    Reading r = reading();
    r.state = s;
    const auto text = openMetricsText(r);
    int set = 0;
    for (const auto& line : lines(text)) {
      if (line.starts_with("tempyra_thermal_pressure{")) set += line.ends_with(" 1");
    }
    EXPECT_EQ(set, 1) << rawValue(s);
  }
  const std::pair<std::string, std::string> sources[] = {
      {"AC power", "ac"}, {"Battery", "battery"}, {"Not available", "unknown"}, {"UPS", "unknown"}};
  for (const auto& [source, state] : sources) {
    Reading r = reading();
    setSourceWords(r.power, source);
    const auto text = openMetricsText(r);
    EXPECT_THAT(text, HasSubstr("tempyra_power_source{source=\"" + state + "\"} 1\n")) << source;
    EXPECT_EQ(lines(text).size(), lines(openMetricsText(reading())).size()) << source;
  }
  EXPECT_THAT(openMetricsText(reading()), HasSubstr("{state=\"serious\"} 1\n"));
}

// Percentages become ratios with the percentage's own digits; unknown values are absent series
// (and a family without series has no HELP either), never zeros.
TEST(OpenMetricsText, ValuesInBaseUnitsAndMissingValuesAbsent) {
  const auto full = openMetricsText(reading(
      {celsius("CPU temperature", 55.5), Metric(MetricKind::cpuSpeedLimit, "CPU speed limit", 75, "%", "", 10, "")}));
  for (const char* line : {"tempyra_cpu_load_ratio 0.184\n", "tempyra_battery_charge_ratio 0.437\n",
                           "tempyra_battery_charging 0\n", "tempyra_cpu_speed_limit_ratio 0.75\n",
                           "tempyra_temperature_celsius{sensor=\"CPU temperature\"} 55.5\n",
                           "tempyra_reading_timestamp_seconds 1800000000.25\n"}) {
    EXPECT_THAT(full, HasSubstr(line));
  }

  Reading r = reading({celsius("CPU temperature", std::nullopt), celsius("GPU", std::nan("")),
                       Metric(MetricKind::fan, "Fan 1", std::nullopt, "RPM", "", 10, ""),
                       Metric(MetricKind::cpuSpeedLimit, "CPU speed limit", std::nullopt, "%", "", 10, "")});
  r.cpu.value.reset();
  r.power = PowerContext{};
  const auto sparse = openMetricsText(r);
  for (const char* family : {"tempyra_cpu_load_ratio", "tempyra_temperature_celsius",
                             "tempyra_fan_speed_rpm", "tempyra_cpu_speed_limit_ratio",
                             "tempyra_battery_charge_ratio", "tempyra_battery_charging"}) {
    EXPECT_THAT(sparse, Not(HasSubstr(family)));
  }
  EXPECT_THAT(sparse, HasSubstr("tempyra_power_source{source=\"unknown\"} 1\n"));
}

// Sensor names from drivers are escaped, made valid UTF-8, bounded, and kept apart when equal.
TEST(OpenMetricsText, LabelValuesAreEscapedBoundedAndDistinct) {
  const std::string longName(200, 'x'), cutInside = std::string(92, 'y') + "\u00B0\u00B0z";
  const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
      {{"a\"b\\c\nd"}, {R"(a\"b\\c\nd)"}},
      {{"bad \xFF byte"}, {"bad \uFFFD byte"}},
      {{longName}, {std::string(93, 'x') + "\u2026"}},
      {{cutInside}, {std::string(92, 'y') + "\u2026"}},
      {{"Fan", "Fan", "Fan"}, {"Fan", "Fan (2)", "Fan (3)"}},
      {{longName + "a", longName + "b"}, {std::string(93, 'x') + "\u2026",
                                          std::string(89, 'x') + "\u2026 (2)"}},
  };
  for (const auto& [names, labels] : cases) {
    std::vector<Metric> sensors;
    for (const auto& n : names) sensors.push_back(celsius(n, 30));
    const auto text = openMetricsText(reading(sensors));
    for (const auto& label : labels) {
      EXPECT_LE(label.size(), kMaxLabelBytes);
      EXPECT_THAT(text, HasSubstr("{sensor=\"" + label + "\"} 30\n")) << names.front();
    }
  }
}

}  // namespace
}  // namespace tempyra
