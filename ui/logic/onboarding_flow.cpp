#include "ui/logic/onboarding_flow.h"

#include "core/platform_words.h"

namespace tempyra {

const std::vector<GuideStep>& tempyraGuideSteps() {
  static const std::vector<GuideStep> kSteps = {
      {"Monitoring starts automatically",
       std::string(platformWord(PlatformWord::guideStartDetail))},
      {"Understand the observations",
       "Thermal Intelligence explains the current state. History records local observations "
       "and sleep or pause gaps. Activity provides context rather than proof of a heat source."},
      {"Choose your preferences",
       std::string(platformWord(PlatformWord::guidePreferencesDetail))},
  };
  return kSteps;
}

LaunchSession& LaunchSession::shared() {
  static LaunchSession session;
  return session;
}

void ExperienceFlow::appear(const std::string& name, bool free, bool hasSteps, bool tourEnabled,
                            bool welcomeEnabled, LaunchSession& session) {
  if (!hasSteps) return;
  if (!session.offer(name)) return;
  if (free && welcomeEnabled) {
    tourAfterWelcome_ = tourEnabled;
    showWelcome_ = true;
    return;
  }
  if (tourEnabled) showTour_ = true;
}

void ExperienceFlow::finishWelcome() { showWelcome_ = false; }

void ExperienceFlow::welcomeDismissed() {
  showWelcome_ = false;
  if (tourAfterWelcome_) {
    tourAfterWelcome_ = false;
    showTour_ = true;
  }
}

std::string TourPosition::counterText() const {
  return "Step " + std::to_string(index_ + 1) + " of " + std::to_string(count_);
}

bool TourPosition::advance() {
  if (isLast()) return true;
  ++index_;
  return false;
}

std::string tourTitle(const std::string& title) {
  return title.rfind("Step ", 0) == 0 ? "Getting started" : title;
}

}  // namespace tempyra
