#include "ui/logic/settings_options.h"

#include <cstdio>

namespace tempyra {

const std::vector<Option<TemperatureUnit>>& unitOptions() {
  static const std::vector<Option<TemperatureUnit>> k = {
      {"Celsius", TemperatureUnit::celsius}, {"Fahrenheit", TemperatureUnit::fahrenheit}};
  return k;
}

const std::vector<Option<MenuMode>>& menuOptions() {
  static const std::vector<Option<MenuMode>> k = {{"Icon only", MenuMode::iconOnly},
                                                  {"Thermal state", MenuMode::thermalState},
                                                  {"CPU temperature", MenuMode::cpuTemperature},
                                                  {"Numerical", MenuMode::numerical},
                                                  {"Mixed", MenuMode::mixed}};
  return k;
}

const std::vector<Option<std::string>>& appearanceOptions() {
  static const std::vector<Option<std::string>> k = {
      {"Light", "Light"}, {"Dark", "Dark"}, {"System", "System"}};
  return k;
}

const std::vector<Option<HistoryRange>>& rangeOptions() {
  static const std::vector<Option<HistoryRange>> k = {{"Last Hour", HistoryRange::hour},
                                                      {"Last Day", HistoryRange::day},
                                                      {"Last Week", HistoryRange::week},
                                                      {"Last Month", HistoryRange::month}};
  return k;
}

const std::vector<Option<double>>& sustainedOptions() {
  static const std::vector<Option<double>> k = {
      {"30 seconds", 30}, {"1 minute", 60}, {"2 minutes", 120}};
  return k;
}

const std::vector<Option<double>>& cooldownOptions() {
  static const std::vector<Option<double>> k = {
      {"5 minutes", 300}, {"15 minutes", 900}, {"30 minutes", 1800}};
  return k;
}

const std::vector<Option<double>>& quietHourOptions() {
  static const std::vector<Option<double>> k = [] {
    std::vector<Option<double>> hours;
    for (int h = 0; h < 24; ++h) {
      char label[16];
      std::snprintf(label, sizeof label, "%02d:00", h);
      hours.push_back({label, static_cast<double>(h)});
    }
    return hours;
  }();
  return k;
}

const std::vector<Option<double>>& retentionOptions() {
  static const std::vector<Option<double>> k = {{"7 days", 7}, {"30 days", 30}, {"90 days", 90}};
  return k;
}

}  // namespace tempyra
