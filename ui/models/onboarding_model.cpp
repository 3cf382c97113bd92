#include "ui/models/onboarding_model.h"

#include "app/monitor_surface.h"
#include "ui/logic/maker_links.h"
#include "ui/models/model_support.h"

namespace tempyra {

OnboardingModel::OnboardingModel(MonitorSurface& monitor, LaunchSession& session,
                                 QObject* parent)
    : QObject(parent),
      monitor_(monitor),
      session_(session),
      tour_(static_cast<int>(tempyraGuideSteps().size())) {
  connect(&monitor_, &MonitorSurface::defaultsChanged, this, &OnboardingModel::refresh);
  refresh();
}

void OnboardingModel::loadApps(const QByteArray& json) {
  apps_.clear();
  for (const MakerApp& app : parseMakerApps(std::string_view(json.constData(), json.size()))) {
    apps_.push_back({qs(app.name), qs(app.icon), qs(makerAppLink(app))});
  }
  emit changed();
}

void OnboardingModel::begin() {
  flow_ = ExperienceFlow();
  tour_.restart();
  UserDefaults& d = monitor_.defaults();
  flow_.appear("Tempyra", true, !tempyraGuideSteps().empty(),
               d.boolean(kShowTourKey).value_or(true), d.boolean(kShowWelcomeKey).value_or(true),
               session_);
  refresh();
}

void OnboardingModel::finishWelcome() {
  if (!flow_.showWelcome()) return;
  flow_.finishWelcome();
  flow_.welcomeDismissed();
  tour_.restart();
  refresh();
}

void OnboardingModel::tourNext() {
  if (tour_.advance()) flow_.closeTour();
  refresh();
}

void OnboardingModel::tourBack() {
  tour_.back();
  refresh();
}

void OnboardingModel::closeTour() {
  flow_.closeTour();
  refresh();
}

void OnboardingModel::setTourAtStartup(bool on) {
  monitor_.defaults().setBoolean(kShowTourKey, on);
  emit monitor_.defaultsChanged();
}

void OnboardingModel::setWelcomeAtStartup(bool on) {
  monitor_.defaults().setBoolean(kShowWelcomeKey, on);
  emit monitor_.defaultsChanged();
}

void OnboardingModel::openTour() {
  if (!flow_.showTour()) tour_.restart();
  flow_.openTour();
  refresh();
}

void OnboardingModel::refresh() {
  View v;
  v.showWelcome = flow_.showWelcome();
  v.showTour = flow_.showTour();
  const GuideStep& step = tempyraGuideSteps()[static_cast<std::size_t>(tour_.index())];
  v.counter = qs(tour_.counterText());
  v.stepTitle = qs(tourTitle(step.title));
  v.stepDetail = qs(step.detail);
  v.hasBack = tour_.hasBack();
  v.mainButton = qs(tour_.mainButton());
  UserDefaults& d = monitor_.defaults();
  v.tourAtStartup = d.boolean(kShowTourKey).value_or(true);
  v.welcomeAtStartup = d.boolean(kShowWelcomeKey).value_or(true);
  if (replaceView(v_, std::move(v))) emit changed();
}

}  // namespace tempyra
