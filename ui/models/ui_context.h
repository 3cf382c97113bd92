#pragma once
// The QML singleton `Ui`: the view models, the theme, the fixed texts and the named symbols.
// One instance per process, installed by the application (or a test) before QML loads.
#include <QColor>
#include <QObject>
#include <QTimer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include "ui/models/dashboard_model.h"
#include "ui/models/onboarding_model.h"
#include "ui/models/popover_model.h"
#include "ui/models/settings_model.h"
#include "ui/models/texts.h"
#include "ui/models/theme.h"

class QQmlEngine;
class QJSEngine;

namespace tempyra {

class MonitorSurface;

class UiContext : public QObject {
  Q_OBJECT
  QML_NAMED_ELEMENT(Ui)
  QML_SINGLETON
  Q_PROPERTY(tempyra::Theme* theme READ theme CONSTANT FINAL)
  Q_PROPERTY(tempyra::Texts* texts READ texts CONSTANT FINAL)
  Q_PROPERTY(tempyra::PopoverModel* popover READ popover CONSTANT FINAL)
  Q_PROPERTY(tempyra::DashboardModel* dashboard READ dashboard CONSTANT FINAL)
  Q_PROPERTY(tempyra::SettingsModel* settings READ settings CONSTANT FINAL)
  Q_PROPERTY(tempyra::OnboardingModel* onboarding READ onboarding CONSTANT FINAL)

 public:
  UiContext(MonitorSurface& monitor, LaunchSession& session, QObject* parent = nullptr);
  ~UiContext() override;

  static void install(UiContext* context);
  static UiContext* instance();
  static UiContext* create(QQmlEngine*, QJSEngine*);

  Theme* theme() { return &theme_; }
  Texts* texts() { return &texts_; }
  PopoverModel* popover() { return &popover_; }
  DashboardModel* dashboard() { return &dashboard_; }
  SettingsModel* settings() { return &settings_; }
  OnboardingModel* onboarding() { return &onboarding_; }

  // The picture of a named symbol ("thermometer.medium") in a colour (ui/symbol_images.h).
  Q_INVOKABLE QUrl symbol(const QString& name, const QColor& colour) const;
  Q_INVOKABLE void openLink(const QString& url) const;

 private:
  Theme theme_;
  Texts texts_;
  PopoverModel popover_;
  DashboardModel dashboard_;
  SettingsModel settings_;
  OnboardingModel onboarding_;
  // A reading turns stale by age alone, with nothing published; look again now and then.
  QTimer ageCheck_;
};

}  // namespace tempyra
