#include "ui/shell/screenshot_tour.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <tuple>

#include "ui/logic/dashboard_pages.h"
#include "ui/logic/tray_face.h"
#include "ui/models/ui_context.h"
#include "ui/shell/windows_shell.h"
#include "ui/shell/tray_face_painter.h"

namespace tempyra {

ScreenshotTour::ScreenshotTour(WindowsShell& shell, QString folder, QObject* parent)
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
  grabScrolled(file, scheme, 0, 2);
}

void ScreenshotTour::grabScrolled(const QString& file, const QString& scheme, double offset,
                                  int part) {
  // Long pages: one more picture per screenful, the last one named "-end-".
  QQuickWindow* window = shell_.dashboardWindow();
  auto* scroll = window ? window->findChild<QQuickItem*>("pageScroll") : nullptr;
  auto* flick = scroll ? scroll->property("contentItem").value<QQuickItem*>() : nullptr;
  if (!flick) return;
  const double overflow = flick->property("contentHeight").toDouble() - flick->height();
  // The page is left scrolled: the next page must start at its own top.
  if (overflow <= offset) return;
  const double next = std::min(overflow, offset + flick->height() * 0.9);
  flick->setProperty("contentY", next);
  QTimer::singleShot(300, this, [this, file, scheme, next, overflow, part] {
    const bool last = next >= overflow;
    grab(true, file + (last ? QStringLiteral("-end") : QStringLiteral("-%1").arg(part)) + "-" +
                   scheme);
    grabScrolled(file, scheme, next, part + 1);
  });
}

void ScreenshotTour::drawTrayPanels() {
  const auto face = [](Tint tint, int level, const char* figure, const char* digits,
                       bool slashed = false) {
    return TrayFace{tint, slashed, level, figure, digits};
  };
  // Every state with the thermometer and with a figure, as the modes show them.
  const struct {
    TrayFace face;
    const char* title;
  } rows[] = {
      {face(Tint::green, 1, "", ""), "Nominal"},
      {face(Tint::yellow, 2, "", ""), "Fair"},
      {face(Tint::orange, 3, "", ""), "Serious"},
      {face(Tint::red, 4, "", ""), "Critical"},
      {face(Tint::secondary, 0, "", ""), "Unknown"},
      {face(Tint::grey, 0, "", "", true), "Paused"},
      {face(Tint::green, 1, "37%", "37"), "Nominal \u00B7 37% CPU"},
      {face(Tint::yellow, 2, "74\u00B0", "74"), "CPU 74.3 \u00B0C"},
      {face(Tint::orange, 3, "100%", "100"), "Serious \u00B7 100% CPU"},
      {face(Tint::red, 4, "212\u00B0", "212"), "CPU 212.0 \u00B0F"},
      {face(Tint::secondary, 0, "100%", "100"), "Unknown \u00B7 100% CPU"},
  };
  const int rowHeight = 56, width = 560;
  for (const auto& [panelName, panel, text] :
       {std::tuple{"light", QColor(0xef, 0xef, 0xef), QColor(0x20, 0x20, 0x20)},
        std::tuple{"dark", QColor(0x1f, 0x1f, 0x22), QColor(0xee, 0xee, 0xee)}}) {
    QImage sheet(width, rowHeight * static_cast<int>(std::size(rows)), QImage::Format_RGB32);
    sheet.fill(panel);
    QPainter p(&sheet);
    p.setRenderHint(QPainter::TextAntialiasing);
    for (std::size_t i = 0; i < std::size(rows); ++i) {
      const int top = static_cast<int>(i) * rowHeight;
      int x = 8;
      for (int size : kTrayIconSizes) {
        if (size == 44 || size == 64) continue;  // the scaled sizes look like 22 and 32 doubled
        p.drawImage(x, top + (rowHeight - size) / 2, paintTrayFace(rows[i].face, size));
        x += size + 12;
      }
      // A host that shows a label draws the title beside the 24-pixel icon like this.
      p.setPen(text);
      QFont font;
      font.setPixelSize(13);
      p.setFont(font);
      p.drawText(QRect(x + 8, top, width - x - 8, rowHeight), Qt::AlignVCenter,
                 QString::fromUtf8(rows[i].title));
    }
    p.end();
    const QString file = folder_ + "/tray-" + panelName + "-panel.png";
    if (!sheet.save(file)) std::fprintf(stderr, "Tempyra: could not write %s\n", qPrintable(file));
  }
}

void ScreenshotTour::plan() {
  UiContext& ui = shell_.ui();
  const QString part = qEnvironmentVariable("TEMPYRA_SCREENSHOTS_PART");
  const auto finish = [this, &ui] {
    ui.theme()->setAppearance(QStringLiteral("System"));
    std::printf("%s\n", "Tempyra: screenshots written");
    std::fflush(stdout);
    shell_.quit();
  };
  if (part == QLatin1String("tray")) {
    steps_.push_back({0, [this] { drawTrayPanels(); }});
    steps_.push_back({0, finish});
    return;
  }
  if (!part.isEmpty()) {
    // The popover as it opens beside the panel the script started: the whole screen.
    steps_.push_back({500, [this] { shell_.requestPopover(); }});
    steps_.push_back({1200, [this, part] { grabScreen(part); }});
    steps_.push_back({0, finish});
    return;
  }
  steps_.push_back({0, [this] { drawTrayPanels(); }});
  for (const QString& appearance : {QStringLiteral("Light"), QStringLiteral("Dark")}) {
    const QString scheme = appearance.toLower();
    steps_.push_back({300, [&ui, appearance] { ui.theme()->setAppearance(appearance); }});
    steps_.push_back({300, [this] { shell_.requestPopover(); }});
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
      // Leaves time for the screenfuls of the page before (300 ms each).
      steps_.push_back({3000, [&ui, value] { ui.dashboard()->selectPage(value); }});
      // A page shown after a long one starts at its top.
      steps_.push_back({2500, [this, name, scheme] { grabPage(name, scheme); }});
    }
    steps_.push_back({900, [&ui] {
                        ui.dashboard()->selectPage(DashboardPage::overview);
                        ui.dashboard()->togglePause();
                      }});
    steps_.push_back({1200, [this, &ui, scheme] {
                        grab(true, "paused-" + scheme);
                        ui.dashboard()->togglePause();
                      }});
    if (scheme == QLatin1String("light")) {
      // The export dialog over the History page, as the screen shows it.
      steps_.push_back({300, [&ui] {
                          ui.dashboard()->selectPage(DashboardPage::history);
                          ui.dashboard()->exportHistory();
                        }});
      steps_.push_back({1500, [this] {
                          auto* dialog = qobject_cast<QDialog*>(shell_.fileDialog());
                          if (!dialog) return;
                          grabScreen("export-dialog-light");
                          dialog->reject();
                        }});
    }
  }
  steps_.push_back({200, finish});
}

void ScreenshotTour::run(std::size_t index) {
  if (index >= steps_.size()) return;
  QTimer::singleShot(steps_[index].delayMs, this, [this, index] {
    steps_[index].act();
    run(index + 1);
  });
}

}  // namespace tempyra
