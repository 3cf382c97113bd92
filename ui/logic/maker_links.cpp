#include "ui/logic/maker_links.h"

#include <nlohmann/json.hpp>

namespace tempyra {

namespace {
std::string site() { return std::string(kMakerSite); }
}  // namespace

std::string headerLink(const std::string& source) {
  return site() + "?utm_source=" + source +
         "&utm_medium=app&utm_campaign=quorvel_branding&utm_content=sidebar";
}

std::string aboutLink() {
  return site() +
         "?utm_source=tempyra&utm_medium=app&utm_campaign=quorvel_branding&utm_content=about";
}

std::string supportLink() { return site() + "/support.html"; }
std::string privacyLink() { return site() + "/privacy.html"; }
std::string termsLink() { return site() + "/terms.html"; }

std::string makerAppLink(const MakerApp& app) {
  return site() + "/" + app.path +
         ".html?utm_source=tempyra&utm_medium=app&utm_campaign=quorvel_welcome";
}

std::vector<MakerApp> parseMakerApps(std::string_view json) {
  std::vector<MakerApp> apps;
  const nlohmann::json doc = nlohmann::json::parse(json, nullptr, false);
  if (!doc.is_array()) return apps;
  for (const auto& entry : doc) {
    if (!entry.is_object()) continue;
    const auto name = entry.find("name");
    const auto icon = entry.find("icon");
    const auto path = entry.find("path");
    if (name == entry.end() || icon == entry.end() || path == entry.end() ||
        !name->is_string() || !icon->is_string() || !path->is_string()) {
      continue;
    }
    apps.push_back({name->get<std::string>(), icon->get<std::string>(), path->get<std::string>()});
  }
  return apps;
}

}  // namespace tempyra
