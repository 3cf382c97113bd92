#pragma once
#include <QJsonObject>
#include <QString>

#include "app/info_dictionary.h"

namespace tempyra {

// The information dictionary compiled into the executable by tempyra_add_info_dictionary()
// (app/CMakeLists.txt): a JSON object in the resource ":/tempyra/info.json". A missing or
// unreadable resource is an empty dictionary.
class ResourceInfoDictionary final : public InfoDictionary {
 public:
  explicit ResourceInfoDictionary(const QString& resource = ":/tempyra/info.json");
  std::optional<bool> boolean(const std::string& key) const override;

 private:
  QJsonObject values_;
};

}  // namespace tempyra
