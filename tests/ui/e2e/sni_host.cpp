// A stand-in StatusNotifier host for the tray's end-to-end test. It owns the watcher's name on
// the session bus, reads the first item that registers as a panel would (icon, label), prints
// what it read, writes the panel as a picture, and then clicks the item.
// Usage: tempyra_test_sni_host <picture.png>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTimer>

#include <cstdio>

#include "tests/ui/sni_pixmaps.h"

namespace {

constexpr int kClickDelayMs = 2000;

QImage image(const tempyra::testing::SniPixmapData& p) {
  QImage out(p.width, p.height, QImage::Format_ARGB32);
  if (p.argb.size() != p.width * p.height * 4) return {};
  const auto* in = reinterpret_cast<const uchar*>(p.argb.constData());
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x, in += 4) out.setPixel(x, y, qRgba(in[1], in[2], in[3], in[0]));
  }
  return out;
}

void say(const QString& line) {
  std::printf("%s\n", qPrintable(line));
  std::fflush(stdout);
}

}  // namespace

class Host : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
  Q_PROPERTY(bool IsStatusNotifierHostRegistered READ yes)
  Q_PROPERTY(int ProtocolVersion READ zero)

 public:
  explicit Host(QString picture) : picture_(std::move(picture)) {}
  bool yes() const { return true; }
  int zero() const { return 0; }

 public slots:
  Q_SCRIPTABLE void RegisterStatusNotifierItem(const QString& service) {
    if (!item_.isEmpty()) return;
    item_ = service;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(item_, "/StatusNotifierItem", "org.kde.StatusNotifierItem", "XAyatanaNewLabel",
                this, SLOT(newLabel(QString, QString)));
    // Read once the registration call has been answered, as a panel does.
    QTimer::singleShot(0, this, &Host::read);
  }

  void newLabel(const QString& label, const QString&) { say("new label: " + label); }

 private:
  void read() {
    QDBusMessage get = QDBusMessage::createMethodCall(
        item_, "/StatusNotifierItem", "org.freedesktop.DBus.Properties", "GetAll");
    get << QStringLiteral("org.kde.StatusNotifierItem");
    auto* w = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(get), this);
    connect(w, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
      w->deleteLater();
      const QDBusPendingReply<QVariantMap> reply = *w;
      if (reply.isError()) {
        say("error: " + reply.error().message());
        return;
      }
      const QVariantMap p = reply.value();
      const QString label = p.value("XAyatanaLabel").toString();
      say("label: " + label);
      QStringList sizes;
      QImage icon;
      for (const auto& px : tempyra::testing::sniPixmaps(p.value("IconPixmap"))) {
        sizes << QString::number(px.width);
        if (px.width == 22) icon = image(px);
      }
      say("icon: " + sizes.join(' '));
      paint(icon, label);
      // The click comes a little later, so the test can first see that nothing opened.
      QTimer::singleShot(kClickDelayMs, this, &Host::click);
    });
  }

  // A left click on the item, where a top panel at the right edge would report it.
  void click() {
    QDBusMessage click = QDBusMessage::createMethodCall(item_, "/StatusNotifierItem",
                                                        "org.kde.StatusNotifierItem", "Activate");
    click << 1200 << 12;
    QDBusConnection::sessionBus().asyncCall(click);
    say("activated");
  }

  // The item on a light and a dark panel, the label beside the icon.
  void paint(const QImage& icon, const QString& label) {
    QImage panel(240, 56, QImage::Format_RGB32);
    QPainter p(&panel);
    const QColor panels[] = {QColor(0xef, 0xef, 0xef), QColor(0x1f, 0x1f, 0x22)};
    for (int i = 0; i < 2; ++i) {
      p.fillRect(0, i * 28, 240, 28, panels[i]);
      p.drawImage(6, i * 28 + 3, icon);
      p.setPen(i == 0 ? Qt::black : Qt::white);
      p.drawText(QRect(34, i * 28, 200, 28), Qt::AlignVCenter, label);
    }
    p.end();
    if (!picture_.isEmpty()) panel.save(picture_);
  }

  QString picture_;
  QString item_;
};

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  Host host(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString());
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.registerObject("/StatusNotifierWatcher", &host,
                          QDBusConnection::ExportScriptableSlots |
                              QDBusConnection::ExportAllProperties) ||
      !bus.registerService("org.kde.StatusNotifierWatcher")) {
    say("error: cannot own the watcher's name");
    return 1;
  }
  say("ready");
  return QGuiApplication::exec();
}

#include "sni_host.moc"
