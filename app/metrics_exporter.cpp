#include "app/metrics_exporter.h"

#include <QPointer>

#include "app/metrics_file.h"
#include "core/open_metrics_text.h"

namespace tempyra {

MetricsExporter::MetricsExporter(SerialQueue& queue, std::shared_ptr<Relay> relay,
                                 std::shared_ptr<UserDefaults> defaults, bool demo)
    : queue_(queue), relay_(std::move(relay)), defaults_(std::move(defaults)), demo_(demo) {
  if (auto folder = defaults_->string(kMetricsFolderKey); !demo_ && folder && !folder->empty()) {
    folder_ = std::filesystem::path(*folder);
  }
}

void MetricsExporter::observe(const Reading& reading) {
  last_ = reading;
  if (folder_) write(reading);
}

void MetricsExporter::write(const Reading& reading) {
  auto work = [folder = *folder_, reading] {
    return writeMetricsFile(folder, openMetricsText(reading));
  };
  queue_.asyncThen(std::move(work), relay_,
                   [this, folder = *folder_](std::optional<Problem> problem) {
                     // A folder given up meanwhile no longer has a state to show.
                     if (folder_ == folder) setProblem(std::move(problem));
                   });
}

void MetricsExporter::setProblem(std::optional<Problem> problem) {
  if (problem == problem_) return;
  problem_ = std::move(problem);
  emit changed();
}

void MetricsExporter::chooseFolder(FileChooser* chooser) {
  if (!chooser || demo_) return;
  QPointer<MetricsExporter> self(this);
  chooser->chooseFolder(folder_.value_or(std::filesystem::path()),
                        [self](std::optional<std::filesystem::path> folder) {
                          if (self && folder && !folder->empty()) self->setFolder(*folder);
                        });
}

void MetricsExporter::setFolder(const std::filesystem::path& folder) {
  if (demo_) return;
  if (folder_ != folder) {
    // The serial queue removes the old file after any write to it that is still waiting.
    if (folder_) queue_.async([old = *folder_] { removeMetricsFile(old); });
    folder_ = folder;
    problem_.reset();
    defaults_->setString(kMetricsFolderKey, folder.string());
    emit changed();
  }
  if (last_) write(*last_);
}

void MetricsExporter::stop() {
  if (!folder_) return;
  const std::filesystem::path folder = *folder_;
  folder_.reset();
  problem_.reset();
  defaults_->remove(kMetricsFolderKey);
  emit changed();
  queue_.asyncThen([folder] { return removeMetricsFile(folder); }, relay_,
                   [this](std::optional<Problem> problem) {
                     if (!folder_ && problem) setProblem(std::move(problem));
                   });
}

}  // namespace tempyra
