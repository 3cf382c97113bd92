#pragma once
// The screenshot script's tour: the tray icon's faces on a light and a dark panel, the popover,
// the onboarding sheets, every dashboard page (a screenful at a time), the paused dashboard in
// light and dark, and the export dialog, each written as a PNG to a folder, then the
// application quits. Started when TEMPYRA_SCREENSHOTS names the folder (scripts/screenshots).
// TEMPYRA_SCREENSHOTS_PART narrows it: "tray" draws only the icon's faces; any other name
// opens the popover beside the tray and photographs the whole screen under that name.
#include <QObject>
#include <QString>

#include <functional>
#include <vector>

namespace tempyra {

class WindowsShell;

class ScreenshotTour : public QObject {
  Q_OBJECT

 public:
  // REQUIRES: `shell` outlives the tour.
  ScreenshotTour(WindowsShell& shell, QString folder, QObject* parent = nullptr);

 private:
  struct Step {
    int delayMs;  // waited before the step, so the windows have drawn
    std::function<void()> act;
  };
  void plan();
  void run(std::size_t index);
  void grab(bool dashboard, const QString& name);
  // The whole screen, for what is not one of our Qt Quick windows (the save dialog).
  void grabScreen(const QString& name);
  void grabPage(const QString& name, const QString& scheme);
  // Grabs the page scrolled to `offset` and then each following screenful.
  void grabScrolled(const QString& file, const QString& scheme, double offset, int part);
  // The tray icon's faces at the sizes hosts ask for, with the title beside them, on a light
  // and a dark panel whatever the app's own appearance.
  void drawTrayPanels();

  WindowsShell& shell_;
  QString folder_;
  std::vector<Step> steps_;
};

}  // namespace tempyra
