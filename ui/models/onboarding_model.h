#pragma once
// The welcome and walkthrough sheets of the dashboard and the in-process "quorvel.openTour"
// notification. The sheet flags and the walkthrough position live as long as the window's
// content: `begin()` starts them afresh.
#include <QObject>
#include <QVariantList>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

#include "ui/logic/onboarding_flow.h"

namespace tempyra {

class MonitorPort;

inline constexpr const char* kOpenTourNotification = "quorvel.openTour";

class OnboardingModel : public QObject {
  Q_OBJECT
  QML_ELEMENT
  QML_UNCREATABLE("Owned by Ui")
  // Keys: showWelcome, showTour, counter, stepTitle, stepDetail, hasBack, mainButton,
  // tourAtStartup, welcomeAtStartup, apps [{name, icon, link}].
  Q_PROPERTY(QVariantMap view READ view NOTIFY viewChanged)

 public:
  OnboardingModel(MonitorPort& port, LaunchSession& session, QObject* parent = nullptr);

  const QVariantMap& view() const { return view_; }

  // The dashboard content was created and shown.
  Q_INVOKABLE void begin();
  // Welcome: "Continue", a background click or Escape.
  Q_INVOKABLE void finishWelcome();
  Q_INVOKABLE void tourNext();
  Q_INVOKABLE void tourBack();
  Q_INVOKABLE void closeTour();
  Q_INVOKABLE void setTourAtStartup(bool on);
  Q_INVOKABLE void setWelcomeAtStartup(bool on);
  // Posts an in-process notification by name; "quorvel.openTour" opens the walkthrough.
  Q_INVOKABLE void post(const QString& name);

  // The maker's other applications from the data file ":/Tempyra/Ui/data/maker_apps.json".
  void loadApps(const QByteArray& json);

 signals:
  void viewChanged();

 private:
  void refresh();

  MonitorPort& port_;
  LaunchSession& session_;
  ExperienceFlow flow_;
  TourPosition tour_;
  QVariantList apps_;
  QVariantMap view_;
};

}  // namespace tempyra
