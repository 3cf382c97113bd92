#pragma once
// Small in-memory stand-ins for the monitor's services. Each records what the monitor asked so
// tests can check order and counts.
#include <QTemporaryDir>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/monitor.h"
#include "app/monitor_services.h"
#include "core/calendar.h"

namespace tempyra::testing {

using Log = std::shared_ptr<std::vector<std::string>>;

class FakeClock final : public Clock {
 public:
  explicit FakeClock(double t) : t_(t) {}
  double now() const override { return t_.load(); }
  void set(double t) { t_ = t; }
  void advance(double seconds) { t_ = t_.load() + seconds; }

 private:
  std::atomic<double> t_;
};

class MemoryDefaults final : public UserDefaults {
 public:
  explicit MemoryDefaults(Log log) : log_(std::move(log)) {}
  std::optional<std::string> bytes(const std::string& k) const override {
    log_->push_back("defaults " + k);
    return get(bytes_, k);
  }
  void setBytes(const std::string& k, const std::string& v) override { bytes_[k] = v; }
  std::optional<std::string> string(const std::string& k) const override {
    return get(strings_, k);
  }
  void setString(const std::string& k, const std::string& v) override { strings_[k] = v; }
  std::optional<bool> boolean(const std::string& k) const override { return get(bools_, k); }
  void setBoolean(const std::string& k, bool v) override { bools_[k] = v; }
  std::optional<double> date(const std::string& k) const override {
    log_->push_back("defaults " + k);
    return get(dates_, k);
  }
  void setDate(const std::string& k, double v) override { dates_[k] = v; }
  void remove(const std::string& k) override {
    bytes_.erase(k);
    strings_.erase(k);
    bools_.erase(k);
    dates_.erase(k);
  }

 private:
  template <class M>
  static std::optional<typename M::mapped_type> get(const M& m, const std::string& k) {
    auto it = m.find(k);
    if (it == m.end()) return std::nullopt;
    return it->second;
  }
  Log log_;
  std::map<std::string, std::string> bytes_, strings_;
  std::map<std::string, bool> bools_;
  std::map<std::string, double> dates_;
};

class FakeInfo final : public InfoDictionary {
 public:
  FakeInfo(Log log, std::optional<bool> demo) : log_(std::move(log)), demo_(demo) {}
  std::optional<bool> boolean(const std::string& key) const override {
    log_->push_back("info " + key);
    return key == kDemoDataKey ? demo_ : std::nullopt;
  }

 private:
  Log log_;
  std::optional<bool> demo_;
};

class FakeEvents final : public SystemEvents {
 public:
  explicit FakeEvents(Log log) : log_(std::move(log)) {}
  void start(SystemEventHandlers h) override {
    log_->push_back("events start");
    handlers = std::move(h);
  }
  bool lowPowerMode() const override { return lowPower; }
  SystemEventHandlers handlers;
  bool lowPower = false;

 private:
  Log log_;
};

// Answers every call at once, on the calling thread.
class FakeNotifications final : public NotificationCenter {
 public:
  explicit FakeNotifications(Log log) : log_(std::move(log)) {}
  void authorizationStatus(std::function<void(AuthorizationStatus)> done) override {
    log_->push_back("notifications status");
    ++statusRequests;
    done(status);
  }
  void requestAuthorization(
      std::function<void(bool, std::optional<std::string>)> done) override {
    status = grant ? AuthorizationStatus::authorized : AuthorizationStatus::denied;
    done(grant, requestError);
  }
  void post(const UserNotification& n,
            std::function<void(std::optional<std::string>)> done) override {
    posted.push_back(n);
    done(postError);
  }
  AuthorizationStatus status = AuthorizationStatus::notDetermined;
  bool grant = true;
  std::optional<std::string> requestError, postError;
  std::vector<UserNotification> posted;
  int statusRequests = 0;

 private:
  Log log_;
};

class FakeLoginItem final : public LoginItem {
 public:
  explicit FakeLoginItem(Log log) : log_(std::move(log)) {}
  LoginItemStatus status() const override {
    log_->push_back("login status");
    return current;
  }
  std::optional<std::string> registerItem() override {
    if (!failure) current = afterRegister;
    return failure;
  }
  std::optional<std::string> unregisterItem() override {
    if (!failure) current = LoginItemStatus::notRegistered;
    return failure;
  }
  LoginItemStatus current = LoginItemStatus::notRegistered;
  LoginItemStatus afterRegister = LoginItemStatus::enabled;
  std::optional<std::string> failure;

 private:
  Log log_;
};

class FakeChooser final : public FileChooser {
 public:
  void chooseSaveFile(const std::string& name, const std::string& type,
                      std::function<void(std::optional<std::filesystem::path>)> done) override {
    proposed = name;
    contentType = type;
    done(answer);
  }
  std::optional<std::filesystem::path> answer;
  std::string proposed, contentType;
};

// Samples a scripted state and CPU load; counts calls and notes the thread of each.
class FakeProvider final : public SensorProvider {
 public:
  struct Script {
    std::mutex mutex;
    ThermalState state = ThermalState::nominal;
    std::optional<double> cpu = 12.4;
    int samples = 0, resets = 0;
    std::vector<std::string> segments;
    std::set<std::thread::id> threads;  // every thread that called the provider
  };
  explicit FakeProvider(std::shared_ptr<Script> s) : s_(std::move(s)) {}
  DeviceProfile profile() const override {
    DeviceProfile p;
    p.model = "Test machine";
    return p;
  }
  Reading sample(double at, const std::string& segment, bool) override {
    std::lock_guard lock(s_->mutex);
    ++s_->samples;
    s_->threads.insert(std::this_thread::get_id());
    s_->segments.push_back(segment);
    Reading r;
    r.timestamp = at;
    r.state = s_->state;
    r.cpu = Metric("CPU load", s_->cpu, "%", "test", at, "Measured");
    r.sensors.push_back(Metric("CPU temperature", 43.2, "\u00B0C", "test", at, "Measured"));
    r.segment = segment;
    return r;
  }
  void reset() override {
    std::lock_guard lock(s_->mutex);
    ++s_->resets;
    s_->threads.insert(std::this_thread::get_id());
  }

 private:
  std::shared_ptr<Script> s_;
};

// A full set of fakes with a real store in a temporary directory.
struct Rig {
  Log log = std::make_shared<std::vector<std::string>>();
  QTemporaryDir dir;
  std::shared_ptr<FakeClock> clock = std::make_shared<FakeClock>(1'800'000'000.0);
  std::shared_ptr<MemoryDefaults> defaults = std::make_shared<MemoryDefaults>(log);
  std::shared_ptr<FakeEvents> events = std::make_shared<FakeEvents>(log);
  std::shared_ptr<FakeNotifications> notifications = std::make_shared<FakeNotifications>(log);
  std::shared_ptr<FakeLoginItem> login = std::make_shared<FakeLoginItem>(log);
  std::shared_ptr<FakeChooser> chooser = std::make_shared<FakeChooser>();
  std::shared_ptr<FakeProvider::Script> script = std::make_shared<FakeProvider::Script>();
  std::optional<bool> demo;
  std::filesystem::path storePath = dir.filePath("data/history.sqlite").toStdString();

  MonitorServices services() {
    MonitorServices s;
    s.clock = clock;
    s.calendar = std::make_shared<FixedOffsetCalendar>(0);
    s.defaults = defaults;
    s.info = std::make_shared<FakeInfo>(log, demo);
    s.events = events;
    s.notifications = notifications;
    s.loginItem = login;
    s.fileChooser = chooser;
    s.makeProvider = [this](bool isDemo) -> std::unique_ptr<SensorProvider> {
      log->push_back(isDemo ? "provider demo" : "provider live");
      return std::make_unique<FakeProvider>(script);
    };
    s.storePath = storePath;
    return s;
  }
  std::unique_ptr<Monitor> start() {
    auto m = std::make_unique<Monitor>(services());
    m->settle();
    return m;
  }
};

}  // namespace tempyra::testing
