// The words for each problem the monitor publishes, byte for byte as the screen shows them.
#include <gtest/gtest.h>

#include "ui/logic/text_format.h"

namespace tempyra {
namespace {

TEST(ProblemText, EachKindKeepsItsSentence) {
  const std::pair<Problem, const char*> cases[] = {
      {{ProblemKind::historyUnavailable,
        "This file is not a history database. It was left as it was."},
       "History is unavailable: This file is not a history database. It was left as it was. "
       "Live monitoring continues; existing history is preserved."},
      {{ProblemKind::historyMissing, ""}, "History is unavailable."},
      {{ProblemKind::demoSeedFailed, "disk I/O error"}, "Demo history: disk I/O error"},
      {{ProblemKind::saveFailed, "full"},
       "Could not save history: full. Live monitoring continues."},
      {{ProblemKind::exportSkipped, "", 1}, "The export left out 1 unreadable record."},
      {{ProblemKind::exportSkipped, "", 3}, "The export left out 3 unreadable records."},
      {{ProblemKind::noNotificationServer, ""}, "No notification server answered."},
      {{ProblemKind::deliveryFailed, "gone"}, "Notification could not be delivered: gone"},
      {{ProblemKind::loginItemFailed, "read-only file"}, "Login item: read-only file"},
      {{ProblemKind::reported, "no such table: events"}, "no such table: events"},
      {{ProblemKind::metricsFolderMissing, "", 0, "/srv/m"},
       "Metrics not written: the folder /srv/m does not exist."},
      {{ProblemKind::metricsNotPermitted, "", 0, "/srv/m"},
       "Metrics not written: no permission to write in /srv/m."},
      {{ProblemKind::metricsDiskFull, "", 0, "/srv/m"},
       "Metrics not written: the disk that holds /srv/m is full."},
      {{ProblemKind::metricsWriteFailed, "Is a directory", 0, "/srv/m/tempyra.prom"},
       "Metrics not written to /srv/m/tempyra.prom: Is a directory."},
      {{ProblemKind::metricsRemoveFailed, "Permission denied", 0, "/srv/m/tempyra.prom"},
       "Could not remove /srv/m/tempyra.prom: Permission denied."},
      {{ProblemKind::settingsNotAFile, "a link to a device", 0, "/h/t.ini"},
       "Settings not saved: /h/t.ini is a link to a device, not a regular file; Tempyra uses its "
       "defaults and changes last until it quits."},
      {{ProblemKind::settingsUnchecked, "Permission denied", 0, "/h/t.ini"},
       "Settings not saved: /h/t.ini cannot be checked (Permission denied); Tempyra uses its "
       "defaults and changes last until it quits."},
  };
  for (const auto& [problem, text] : cases) EXPECT_EQ(problemText(problem), text);
}

}  // namespace
}  // namespace tempyra
