#pragma once
// In-memory stand-ins for the monitor's services.
#include <QTemporaryDir>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <variant>

#include "app/monitor.h"
#include "app/monitor_services.h"
#include "core/model_json.h"

namespace tempyra::testing {

class FakeClock final : public Clock {
 public:
  double now() const override { return t.load(); }
  void advance(double seconds) { t = t.load() + seconds; }
  std::atomic<double> t{1'800'000'000.0};
};

// User defaults in a map; `problem_` is what a settings file that cannot be used would report.
class MemoryDefaults final : public UserDefaults {
 public:
  using Value = std::variant<std::string, bool, double>;
  template <class T>
  std::optional<T> get(const std::string& key) const {
    const auto it = values.find(key);
    if (it == values.end() || !std::holds_alternative<T>(it->second)) return std::nullopt;
    return std::get<T>(it->second);
  }
  std::optional<std::string> bytes(const std::string& k) const override { return get<std::string>(k); }
  void setBytes(const std::string& k, const std::string& v) override { values[k] = v; }
  std::optional<std::string> string(const std::string& k) const override { return get<std::string>(k); }
  void setString(const std::string& k, const std::string& v) override { values[k] = v; }
  std::optional<bool> boolean(const std::string& k) const override { return get<bool>(k); }
  void setBoolean(const std::string& k, bool v) override { values[k] = v; }
  std::optional<double> date(const std::string& k) const override { return get<double>(k); }
  void setDate(const std::string& k, double v) override { values[k] = v; }
  void remove(const std::string& k) override { values.erase(k); }
  std::optional<Problem> problem() const override { return problem_; }
  std::map<std::string, Value> values;
  std::optional<Problem> problem_;
};

// The dictionary of an ordinary build: no demonstration data.
struct FakeInfo final : InfoDictionary {
  std::optional<bool> boolean(const std::string&) const override { return std::nullopt; }
};

struct FakeEvents final : SystemEvents {
  void start(SystemEventHandlers h) override { handlers = std::move(h); }
  bool lowPowerMode() const override { return lowPower; }
  SystemEventHandlers handlers;
  bool lowPower = false;
};

// Answers every call at once, on the calling thread.
struct FakeNotifications final : NotificationCenter {
  void authorizationStatus(std::function<void(AuthorizationStatus)> done) override {
    ++statusRequests;
    done(status);
  }
  void requestAuthorization(std::function<void(Expected<bool>)> done) override {
    status = grant ? AuthorizationStatus::authorized : AuthorizationStatus::denied;
    done(requestError ? Expected<bool>(Error{*requestError}) : Expected<bool>(grant));
  }
  void post(const UserNotification& n, std::function<void(Status)> done) override {
    posted.push_back(n);
    done(postError ? Status(Error{*postError}) : Status());
  }
  AuthorizationStatus status = AuthorizationStatus::notDetermined;
  bool grant = true;
  std::optional<std::string> requestError, postError;
  std::vector<UserNotification> posted;
  int statusRequests = 0;
};

struct FakeLoginItem final : LoginItem {
  LoginItemStatus status() const override { return current; }
  Status registerItem() override { return become(afterRegister); }
  Status unregisterItem() override { return become(LoginItemStatus::notRegistered); }
  Status become(LoginItemStatus next) {
    if (failure) return Error{*failure};
    current = next;
    return {};
  }
  LoginItemStatus current = LoginItemStatus::notRegistered;
  LoginItemStatus afterRegister = LoginItemStatus::enabled;
  std::optional<std::string> failure;
};

struct FakeChooser final : FileChooser {
  void chooseSaveFile(const std::string& name, const std::string& type,
                      std::function<void(std::optional<std::filesystem::path>)> done) override {
    asked = name + " " + type;
    done(answer);
  }
  void chooseFolder(const std::filesystem::path& current,
                    std::function<void(std::optional<std::filesystem::path>)> done) override {
    asked = "folder " + current.string();
    done(answer);
  }
  std::optional<std::filesystem::path> answer;
  std::string asked;
};

inline Metric testMetric(const std::string& name, std::optional<double> value,
                         const std::string& unit, double at) {
  return Metric(metricKindFromStored(name, unit), name, value, unit, "test source", at,
                value ? "Measured" : "Not available");
}

// A reading at `at`: a CPU load of 12.4 %, two temperatures the summary lists, one raw sensor it
// does not, AC power and one process of activity.
inline Reading testReading(double at, ThermalState state) {
  Reading r;
  r.timestamp = at;
  r.state = state;
  r.cpu = testMetric("CPU load", 12.4, "%", at);
  r.sensors = {testMetric("CPU temperature", 43.2, "°C", at),
               testMetric("Sensor TC0P", 44, "°C", at), testMetric("GPU temperature", 40, "°C", at)};
  r.power.source = PowerSource::ac;
  r.activity = {{42, "compiler", 153.25}};
  r.segment = "S1";
  return r;
}

// Samples the test reading in a scripted state; notes the threads it was called on.
struct Script {
  std::mutex mutex;
  ThermalState state = ThermalState::nominal;
  int samples = 0, resets = 0;
  std::set<std::thread::id> threads;
};

class FakeProvider final : public SensorProvider {
 public:
  explicit FakeProvider(std::shared_ptr<Script> s) : s_(std::move(s)) {}
  DeviceProfile profile() const override { return {"Test machine", "", "", "", {}}; }
  Reading sample(double at, const std::string& segment, bool) override {
    std::lock_guard lock(s_->mutex);
    ++s_->samples;
    s_->threads.insert(std::this_thread::get_id());
    Reading r = testReading(at, s_->state);
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
  QTemporaryDir dir;
  std::shared_ptr<FakeClock> clock = std::make_shared<FakeClock>();
  std::shared_ptr<MemoryDefaults> defaults = std::make_shared<MemoryDefaults>();
  std::shared_ptr<FakeEvents> events = std::make_shared<FakeEvents>();
  std::shared_ptr<FakeNotifications> notifications = std::make_shared<FakeNotifications>();
  std::shared_ptr<FakeLoginItem> login = std::make_shared<FakeLoginItem>();
  std::shared_ptr<FakeChooser> chooser = std::make_shared<FakeChooser>();
  std::shared_ptr<Script> script = std::make_shared<Script>();
  std::filesystem::path storePath = dir.filePath("data/history.sqlite").toStdString();

  MonitorServices services() {
    return {clock, std::make_shared<FixedOffsetCalendar>(0), defaults,
            std::make_shared<FakeInfo>(), events, notifications, login, chooser,
            [this](bool) -> std::unique_ptr<SensorProvider> {
              return std::make_unique<FakeProvider>(script);
            },
            storePath};
  }
  void prefer(const std::function<void(Preferences&)>& edit) {
    Preferences p;
    edit(p);
    defaults->setBytes(kPreferencesKey, *encodeJson(p));
  }
  std::unique_ptr<Monitor> start() {
    auto m = std::make_unique<Monitor>(services());
    m->TEST_settle();
    return m;
  }
};

}  // namespace tempyra::testing
