#pragma once
// The dashboard's fixed page list with each page's symbol, subtitle and numbered steps.
#include <array>
#include <string>
#include <vector>

namespace tempyra {

struct DashboardPage {
  std::string name;
  std::string symbol;    // named symbol, drawn from ui/icons/<symbol>.svg
  std::string subtitle;
  std::array<std::string, 3> steps;
};

// The seven pages in sidebar order: Overview … About.
const std::vector<DashboardPage>& dashboardPages();

// What the window shows for the selected page name. A name that is no page shows the About
// content and steps under the subtitle "Make monitoring work for you.", and `known` is false
// so no sidebar item is marked selected.
struct PageSelection {
  DashboardPage page;  // name is always one of the seven
  bool known = false;
};
PageSelection selectPage(const std::string& name);

}  // namespace tempyra
