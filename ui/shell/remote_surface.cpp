#include "ui/shell/remote_surface.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "app/surface_codec.h"
#include "ui/shell/surface_channel.h"

namespace tempyra {

using nlohmann::json;

namespace {

// Takes a decoded snapshot into `copy`: true when it differs from what was there.
template <class T, class E>
bool takeDecoded(const char* what, E decoded, T& copy, bool& have) {
  if (!decoded) {
    std::fprintf(stderr, "Tempyra: the %s from the monitor could not be read: %s\n", what,
                 decoded.error().c_str());
    return false;
  }
  const bool first = !std::exchange(have, true);
  if (!first && *decoded == copy) return false;
  copy = std::move(*decoded);
  return true;
}

}  // namespace

RemoteSurface::RemoteSurface(SurfaceChannel& channel, std::shared_ptr<Clock> clock,
                             QObject* parent)
    : MonitorSurface(parent),
      channel_(channel),
      clock_(std::move(clock)),
      defaults_({}, [this](const std::string& key, const std::optional<DefaultValue>& value) {
        channel_.send("default", encodeDefaultWrite({key, value}));
      }) {}

bool RemoteSurface::take(const QByteArray& kind, const QByteArray& text) {
  if (kind == "live") {
    if (takeDecoded("live state", decodeLiveFacts(textOf(text)), facts_, haveLive_)) {
      emit liveChanged();
    }
  } else if (kind == "history") {
    if (takeDecoded("history", decodeHistoryState(textOf(text)), history_, haveHistory_)) {
      emit historyChanged();
    }
  } else if (kind == "setup") {
    if (takeDecoded("setup", decodeSetupState(textOf(text)), setup_, haveSetup_)) {
      emit setupChanged();
    }
  } else if (kind == "defaults") {
    DefaultsCopy copy = defaults_.copy();
    if (takeDecoded("user defaults", decodeDefaults(textOf(text)), copy, haveDefaults_)) {
      defaults_.replace(std::move(copy));
      emit defaultsChanged();
    }
  } else {
    return false;
  }
  return true;
}

void RemoteSurface::setPreferences(const Preferences& preferences) {
  const auto text = encodeJson(preferences);
  if (!text) return;
  command(json{{"name", "setPreferences"}, {"preferences", *text}}.dump());
  if (setup_.preferences == preferences) return;
  setup_.preferences = preferences;
  emit setupChanged();
}

void RemoteSurface::setLogin(bool enabled) {
  command(json{{"name", "setLogin"}, {"enabled", enabled}}.dump());
}

void RemoteSurface::setHistoryView(bool historyPageSelected, HistoryRange range) {
  command(json{{"name", "setHistoryView"},
               {"historyPage", historyPageSelected},
               {"range", int(range)}}
              .dump());
}

void RemoteSurface::setDetailVisible(bool visible) {
  command(json{{"name", "setDetailVisible"}, {"visible", visible}}.dump());
}

void RemoteSurface::command(const char* name) { command(json{{"name", name}}.dump()); }

void RemoteSurface::command(const std::string& text) { channel_.send("command", text); }

}  // namespace tempyra
