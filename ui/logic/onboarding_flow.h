#pragma once
// When the welcome and the walkthrough appear, and where the walkthrough stands. Main thread.
#include <set>
#include <string>
#include <vector>

namespace tempyra {

struct GuideStep {
  std::string title;
  std::string detail;
};

// The dashboard's walkthrough, in order.
const std::vector<GuideStep>& tempyraGuideSteps();

// Product names whose startup sheets were already offered in this process. Never stored.
class LaunchSession {
 public:
  // The one process-wide session.
  static LaunchSession& shared();
  // True the first time for a name in this session, false afterwards.
  bool offer(const std::string& name) { return presented_.insert(name).second; }
  // The names offered so far, and one offered by an earlier windows process of this run.
  const std::set<std::string>& offered() const { return presented_; }
  void remember(const std::string& name) { presented_.insert(name); }

 private:
  std::set<std::string> presented_;
};

// The two sheets attached to the dashboard. Flags start false whenever a flow is created
// (with its window content).
class ExperienceFlow {
 public:
  // The dashboard content was first shown. Offers the sheets at most once per run and name.
  void appear(const std::string& name, bool free, bool hasSteps, bool tourEnabled,
              bool welcomeEnabled, LaunchSession& session);
  // The welcome's "Continue", background click or Escape.
  void finishWelcome();
  // The welcome sheet went away: the walkthrough follows when it was due at startup.
  void welcomeDismissed();
  // The walkthrough was asked for: it opens regardless of the switches.
  void openTour() { showTour_ = true; }
  void closeTour() { showTour_ = false; }

  bool showWelcome() const { return showWelcome_; }
  bool showTour() const { return showTour_; }

 private:
  bool showWelcome_ = false;
  bool showTour_ = false;
  bool tourAfterWelcome_ = false;
};

// The walkthrough's position among `count` steps (count >= 1).
class TourPosition {
 public:
  explicit TourPosition(int count) : count_(count < 1 ? 1 : count) {}
  int index() const { return index_; }
  bool hasBack() const { return index_ > 0; }
  bool isLast() const { return index_ == count_ - 1; }
  std::string counterText() const;  // "Step 2 of 3"
  std::string mainButton() const { return isLast() ? "Get started" : "Next"; }
  void back() { if (index_ > 0) --index_; }
  // Returns true when the sheet should close ("Get started" on the last step).
  bool advance();
  void restart() { index_ = 0; }

 private:
  int count_;
  int index_ = 0;
};

// A step title as the walkthrough shows it: one beginning "Step " reads "Getting started".
std::string tourTitle(const std::string& title);

}  // namespace tempyra
