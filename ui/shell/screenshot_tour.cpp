#include "ui/shell/screenshot_tour.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QTimer>

#include <cstdio>

#include "ui/logic/dashboard_pages.h"
#include "ui/models/ui_context.h"
#include "ui/shell/app_shell.h"

namespace tempyra {

ScreenshotTour::ScreenshotTour(AppShell& shell, QString folder, QObject* parent)
    : QObject(parent), shell_(shell), folder_(std::move(folder)) {
  QDir().mkpath(folder_);
  plan();
  // The tray item and the first reading settle first.
  QTimer::singleShot(1500, this, [this] { run(0); });
}

void ScreenshotTour::grab(bool dashboard, const QString& name) {
  QQuickWindow* window = dashboard ? shell_.dashboardWindow() : shell_.popoverWindow();
  if (!window) return;
  const QString file = folder_ + "/" + name + ".png";
  if (!window->grabWindow().save(file)) {
    std::fprintf(stderr, "Tempyra: could not write %s\n", qPrintable(file));
  }
}

void ScreenshotTour::grabScreen(const QString& name) {
  QScreen* screen = QGuiApplication::primaryScreen();
  const QString file = folder_ + "/" + name + ".png";
  if (!screen || !screen->grabWindow(0).save(file)) {
    std::fprintf(stderr, "Tempyra: could not write %s\n", qPrintable(file));
  }
}

void ScreenshotTour::grabPage(const QString& name, const QString& scheme) {
  QString file = name.toLower();
  file.replace(QLatin1Char(' '), QLatin1Char('-'));
  grab(true, file + "-" + scheme);
  // Long pages: scroll to the end for a second picture.
  QQuickWindow* window = shell_.dashboardWindow();
  auto* scroll = window ? window->findChild<QQuickItem*>("pageScroll") : nullptr;
  auto* flick = scroll ? scroll->property("contentItem").value<QQuickItem*>() : nullptr;
  if (!flick) return;
  const double overflow = flick->property("contentHeight").toDouble() - flick->height();
  if (overflow <= 0) return;
  flick->setProperty("contentY", overflow);
  QTimer::singleShot(300, this, [this, file, scheme, flick] {
    grab(true, file + "-end-" + scheme);
    flick->setProperty("contentY", 0);
  });
}

void ScreenshotTour::plan() {
  UiContext& ui = shell_.ui();
  for (const QString& appearance : {QStringLiteral("Light"), QStringLiteral("Dark")}) {
    const QString scheme = appearance.toLower();
    steps_.push_back({300, [&ui, appearance] { ui.theme()->setAppearance(appearance); }});
    steps_.push_back({300, [this] { shell_.togglePopover(); }});
    steps_.push_back({900, [this, scheme] {
                        QQuickWindow* popover = shell_.popoverWindow();
                        if (!popover) return;
                        popover->setFlag(Qt::Popup, false);
                        grab(false, "popover-" + scheme);
                        popover->close();
                      }});
    steps_.push_back({300, [this] { shell_.openDashboard(); }});
    if (scheme == QLatin1String("light")) {
      steps_.push_back({1200, [this, &ui] {
                          grab(true, "welcome-light");
                          ui.onboarding()->finishWelcome();
                        }});
      steps_.push_back({800, [this, &ui] {
                          grab(true, "walkthrough-light");
                          ui.onboarding()->closeTour();
                        }});
    }
    for (const PageInfo& page : dashboardPages()) {
      const QString name = QString::fromStdString(page.name);
      const DashboardPage value = page.page;
      steps_.push_back({900, [&ui, value] { ui.dashboard()->selectPage(value); }});
      steps_.push_back({1500, [this, name, scheme] { grabPage(name, scheme); }});
    }
    if (scheme == QLatin1String("light")) {
      // The export dialog over the History page, as the screen shows it.
      steps_.push_back({300, [&ui] {
                          ui.dashboard()->selectPage(DashboardPage::history);
                          ui.dashboard()->exportHistory();
                        }});
      steps_.push_back({1500, [this] {
                          auto* dialog = qobject_cast<QDialog*>(shell_.exportDialog());
                          if (!dialog) return;
                          grabScreen("export-dialog-light");
                          dialog->reject();
                        }});
    }
  }
  steps_.push_back({200, [&ui] {
                      ui.theme()->setAppearance(QStringLiteral("System"));
                      std::printf("%s\n", "Tempyra: screenshots written");
                      std::fflush(stdout);
                      QCoreApplication::quit();
                    }});
}

void ScreenshotTour::run(std::size_t index) {
  if (index >= steps_.size()) return;
  QTimer::singleShot(steps_[index].delayMs, this, [this, index] {
    steps_[index].act();
    run(index + 1);
  });
}

}  // namespace tempyra
