#pragma once
// The welcome and walkthrough sheets of the dashboard. The sheet flags and the walkthrough
// position live as long as the window's content: `begin()` starts them afresh.
#include <QList>
#include <QObject>
#include <QtQml/qqmlregistration.h>

#include "ui/logic/onboarding_flow.h"

namespace tempyra {

class MonitorSurface;

// One of the maker's other applications in the welcome.
struct MakerAppRow {
  Q_GADGET
  QML_VALUE_TYPE(makerAppRow)
  Q_PROPERTY(QString name MEMBER name FINAL)
  Q_PROPERTY(QString icon MEMBER icon FINAL)
  Q_PROPERTY(QString link MEMBER link FINAL)

 public:
  QString name;
  QString icon;  // resource URL of the icon image
  QString link;
  friend bool operator==(const MakerAppRow&, const MakerAppRow&) = default;
};

class OnboardingModel : public QObject {
  Q_OBJECT
  QML_ELEMENT
  QML_UNCREATABLE("Owned by Ui")
  Q_PROPERTY(bool showWelcome READ showWelcome NOTIFY changed FINAL)
  Q_PROPERTY(bool showTour READ showTour NOTIFY changed FINAL)
  Q_PROPERTY(QString counter READ counter NOTIFY changed FINAL)  // "Step 2 of 3"
  Q_PROPERTY(QString stepTitle READ stepTitle NOTIFY changed FINAL)
  Q_PROPERTY(QString stepDetail READ stepDetail NOTIFY changed FINAL)
  Q_PROPERTY(bool hasBack READ hasBack NOTIFY changed FINAL)
  Q_PROPERTY(QString mainButton READ mainButton NOTIFY changed FINAL)  // "Next" or "Get started"
  Q_PROPERTY(bool tourAtStartup READ tourAtStartup NOTIFY changed FINAL)
  Q_PROPERTY(bool welcomeAtStartup READ welcomeAtStartup NOTIFY changed FINAL)
  Q_PROPERTY(QList<tempyra::MakerAppRow> apps READ apps NOTIFY changed FINAL)

 public:
  OnboardingModel(MonitorSurface& monitor, LaunchSession& session, QObject* parent = nullptr);

  bool showWelcome() const { return v_.showWelcome; }
  bool showTour() const { return v_.showTour; }
  QString counter() const { return v_.counter; }
  QString stepTitle() const { return v_.stepTitle; }
  QString stepDetail() const { return v_.stepDetail; }
  bool hasBack() const { return v_.hasBack; }
  QString mainButton() const { return v_.mainButton; }
  bool tourAtStartup() const { return v_.tourAtStartup; }
  bool welcomeAtStartup() const { return v_.welcomeAtStartup; }
  QList<MakerAppRow> apps() const { return apps_; }

  // The dashboard content was created and shown.
  Q_INVOKABLE void begin();
  // Welcome: "Continue", a background click or Escape.
  Q_INVOKABLE void finishWelcome();
  Q_INVOKABLE void tourNext();
  Q_INVOKABLE void tourBack();
  Q_INVOKABLE void closeTour();
  Q_INVOKABLE void setTourAtStartup(bool on);
  Q_INVOKABLE void setWelcomeAtStartup(bool on);
  // Settings' "Open walkthrough": opens it from its first step, whatever the switches say.
  Q_INVOKABLE void openTour();

  // The maker's other applications from the data file ":/Tempyra/Ui/data/maker_apps.json".
  void loadApps(const QByteArray& json);

 signals:
  void changed();

 private:
  struct View {
    bool showWelcome = false, showTour = false;
    QString counter, stepTitle, stepDetail;
    bool hasBack = false;
    QString mainButton;
    bool tourAtStartup = false, welcomeAtStartup = false;
    friend bool operator==(const View&, const View&) = default;
  };
  void refresh();

  MonitorSurface& monitor_;
  LaunchSession& session_;
  ExperienceFlow flow_;
  TourPosition tour_;
  QList<MakerAppRow> apps_;
  View v_;
};

}  // namespace tempyra
