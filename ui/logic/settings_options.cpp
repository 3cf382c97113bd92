#include "ui/logic/settings_options.h"

#include <cstdio>

namespace tempyra {

const std::vector<TextOption>& unitOptions() {
  static const std::vector<TextOption> k = {{"Celsius", "Celsius"}, {"Fahrenheit", "Fahrenheit"}};
  return k;
}

const std::vector<TextOption>& menuOptions() {
  static const std::vector<TextOption> k = {{"Icon only", "Icon only"},
                                            {"Thermal state", "Thermal state"},
                                            {"CPU temperature", "CPU temperature"},
                                            {"Numerical", "Numerical"},
                                            {"Mixed", "Mixed"}};
  return k;
}

const std::vector<TextOption>& appearanceOptions() {
  static const std::vector<TextOption> k = {
      {"Light", "Light"}, {"Dark", "Dark"}, {"System", "System"}};
  return k;
}

const std::vector<TextOption>& rangeOptions() {
  static const std::vector<TextOption> k = {{"Last Hour", "Hour"},
                                            {"Last Day", "Day"},
                                            {"Last Week", "Week"},
                                            {"Last Month", "Month"}};
  return k;
}

const std::vector<NumberOption>& sustainedOptions() {
  static const std::vector<NumberOption> k = {
      {"30 seconds", 30}, {"1 minute", 60}, {"2 minutes", 120}};
  return k;
}

const std::vector<NumberOption>& cooldownOptions() {
  static const std::vector<NumberOption> k = {
      {"5 minutes", 300}, {"15 minutes", 900}, {"30 minutes", 1800}};
  return k;
}

const std::vector<NumberOption>& quietHourOptions() {
  static const std::vector<NumberOption> k = [] {
    std::vector<NumberOption> hours;
    for (int h = 0; h < 24; ++h) {
      char label[16];
      std::snprintf(label, sizeof label, "%02d:00", h);
      hours.push_back({label, static_cast<double>(h)});
    }
    return hours;
  }();
  return k;
}

const std::vector<NumberOption>& retentionOptions() {
  static const std::vector<NumberOption> k = {{"7 days", 7}, {"30 days", 30}, {"90 days", 90}};
  return k;
}

int optionIndex(const std::vector<TextOption>& options, const std::string& value) {
  for (std::size_t i = 0; i < options.size(); ++i) {
    if (options[i].value == value) return static_cast<int>(i);
  }
  return -1;
}

int optionIndex(const std::vector<NumberOption>& options, double value) {
  for (std::size_t i = 0; i < options.size(); ++i) {
    if (options[i].value == value) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace tempyra
