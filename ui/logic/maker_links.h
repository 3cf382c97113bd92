#pragma once
// The maker's web addresses and the list of its other applications. Opening a link is always
// the user's choice; nothing here goes out by itself.
#include <string>
#include <string_view>
#include <vector>

namespace tempyra {

// The maker's site. A reserved example domain until the real address is settled.
inline constexpr std::string_view kMakerSite = "https://quorvel.example";
inline constexpr std::string_view kSupportEmail = "support@quorvel.example";

std::string headerLink(const std::string& source);  // sidebar "software by quorvel."
std::string aboutLink();                             // "Explore quorvel"
std::string supportLink();
std::string privacyLink();
std::string termsLink();

struct MakerApp {
  std::string name;  // short name
  std::string icon;  // resource path of the icon image
  std::string path;  // page path on the maker's site, without ".html"
};

// The welcome's link for one of the maker's applications.
std::string makerAppLink(const MakerApp& app);

// Parses the data file (a JSON array of {"name","icon","path"} objects). Malformed text or
// entries missing a field give no entry: the welcome then leaves them out.
std::vector<MakerApp> parseMakerApps(std::string_view json);

}  // namespace tempyra
