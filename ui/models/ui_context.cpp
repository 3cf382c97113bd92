#include "ui/models/ui_context.h"

#include <QDesktopServices>
#include <QFile>
#include <QJSEngine>

#include "app/monitor_surface.h"

namespace tempyra {

namespace {
UiContext* gInstance = nullptr;
}  // namespace

UiContext::UiContext(MonitorSurface& monitor, LaunchSession& session, QObject* parent)
    : QObject(parent),
      theme_(monitor),
      popover_(monitor),
      dashboard_(monitor),
      settings_(monitor),
      onboarding_(monitor, session) {
  QFile apps(QStringLiteral(":/Tempyra/Ui/data/maker_apps.json"));
  if (apps.open(QIODevice::ReadOnly)) onboarding_.loadApps(apps.readAll());
  connect(&ageCheck_, &QTimer::timeout, this, [this] {
    popover_.refresh();
    dashboard_.refresh();
  });
  ageCheck_.setTimerType(Qt::VeryCoarseTimer);
  ageCheck_.start(15000);
}

UiContext::~UiContext() {
  if (gInstance == this) gInstance = nullptr;
}

void UiContext::install(UiContext* context) { gInstance = context; }
UiContext* UiContext::instance() { return gInstance; }

UiContext* UiContext::create(QQmlEngine*, QJSEngine*) {
  // The engine must not take ownership: the application owns the context.
  if (gInstance) QJSEngine::setObjectOwnership(gInstance, QJSEngine::CppOwnership);
  return gInstance;
}

QUrl UiContext::symbol(const QString& name, const QColor& colour) const {
  return QUrl(QStringLiteral("image://symbol/") + name + QStringLiteral("/") +
              colour.name(QColor::HexRgb).mid(1));
}

void UiContext::openLink(const QString& url) const { QDesktopServices::openUrl(QUrl(url)); }

}  // namespace tempyra
