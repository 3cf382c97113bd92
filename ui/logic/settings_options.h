#pragma once
// The settings page's fixed option lists. A stored value outside a list stays stored; the
// picker then shows no selection (index -1).
#include <string>
#include <vector>

namespace tempyra {

struct TextOption {
  std::string label;
  std::string value;
};

struct NumberOption {
  std::string label;
  double value;
};

const std::vector<TextOption>& unitOptions();
const std::vector<TextOption>& menuOptions();
const std::vector<TextOption>& appearanceOptions();
const std::vector<TextOption>& rangeOptions();  // "Last Hour" → "Hour", …
const std::vector<NumberOption>& sustainedOptions();
const std::vector<NumberOption>& cooldownOptions();
const std::vector<NumberOption>& quietHourOptions();  // "00:00" → 0 … "23:00" → 23
const std::vector<NumberOption>& retentionOptions();

// Index of the option holding `value`, or -1.
int optionIndex(const std::vector<TextOption>& options, const std::string& value);
int optionIndex(const std::vector<NumberOption>& options, double value);

}  // namespace tempyra
