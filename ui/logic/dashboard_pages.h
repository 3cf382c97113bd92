#pragma once
// The dashboard's pages in sidebar order, each with its name, symbol, subtitle and numbered
// steps.
#include <array>
#include <string>
#include <vector>

namespace tempyra {

enum class DashboardPage {
  overview,
  thermalIntelligence,
  history,
  activity,
  sensors,
  settings,
  about,
};

struct PageInfo {
  DashboardPage page;
  std::string name;
  std::string symbol;  // named symbol, drawn from ui/models/icons/<symbol>.svg
  std::string subtitle;
  std::array<std::string, 3> steps;
};

// The seven pages in sidebar order (the enum's order).
const std::vector<PageInfo>& dashboardPages();
const PageInfo& pageInfo(DashboardPage page);

}  // namespace tempyra
