#pragma once
// The fixed option lists of the settings page and the history range picker. A stored number
// outside a list stays stored; the picker then shows no selection (index -1).
#include <string>
#include <vector>

#include "app/history_range.h"
#include "app/preferences.h"

namespace tempyra {

template <class T>
struct Option {
  std::string label;
  T value;
};

const std::vector<Option<TemperatureUnit>>& unitOptions();
const std::vector<Option<MenuMode>>& menuOptions();
const std::vector<Option<std::string>>& appearanceOptions();  // stored as shown
const std::vector<Option<HistoryRange>>& rangeOptions();       // "Last Hour" … "Last Month"
const std::vector<Option<double>>& sustainedOptions();         // seconds
const std::vector<Option<double>>& cooldownOptions();          // seconds
const std::vector<Option<double>>& quietHourOptions();         // "00:00" → 0 … "23:00" → 23
const std::vector<Option<double>>& retentionOptions();         // days

// Index of the option holding `value`, or -1.
template <class T>
int optionIndex(const std::vector<Option<T>>& options, const T& value) {
  for (std::size_t i = 0; i < options.size(); ++i) {
    if (options[i].value == value) return static_cast<int>(i);
  }
  return -1;
}

// The option at `index`, or nothing when the index is outside the list.
template <class T>
const Option<T>* optionAt(const std::vector<Option<T>>& options, int index) {
  return index >= 0 && index < static_cast<int>(options.size())
             ? &options[static_cast<std::size_t>(index)]
             : nullptr;
}

}  // namespace tempyra
