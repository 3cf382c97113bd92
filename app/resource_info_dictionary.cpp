#include "app/resource_info_dictionary.h"

#include <QFile>
#include <QJsonDocument>

namespace tempyra {

ResourceInfoDictionary::ResourceInfoDictionary(const QString& resource) {
  QFile file(resource);
  if (!file.open(QIODevice::ReadOnly)) return;
  const QJsonDocument doc = QJsonDocument::fromJson(file.readAll());
  if (doc.isObject()) values_ = doc.object();
}

std::optional<bool> ResourceInfoDictionary::boolean(const std::string& key) const {
  const QJsonValue v = values_.value(QString::fromStdString(key));
  if (!v.isBool()) return std::nullopt;
  return v.toBool();
}

}  // namespace tempyra
