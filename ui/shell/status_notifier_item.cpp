#include "ui/shell/status_notifier_item.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QtEndian>

namespace tempyra {

// One icon size on the bus: width, height and ARGB32 pixels in network byte order.
struct SniPixmap {
  int width = 0;
  int height = 0;
  QByteArray argb;
};
using SniPixmaps = QList<SniPixmap>;

struct SniToolTip {
  QString iconName;
  SniPixmaps pixmaps;
  QString title;
  QString description;
};

}  // namespace tempyra

Q_DECLARE_METATYPE(tempyra::SniPixmap)
Q_DECLARE_METATYPE(tempyra::SniToolTip)

namespace tempyra {

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kItemPath = QStringLiteral("/StatusNotifierItem");
// A watcher that does not answer within this time is taken to be absent for now; it is asked
// again when it (re)appears on the bus.
constexpr int kAnswerMs = 2000;

SniPixmap toPixmap(const QImage& image) {
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  SniPixmap p{argb.width(), argb.height(), QByteArray(argb.width() * argb.height() * 4, '\0')};
  auto* out = reinterpret_cast<quint32*>(p.argb.data());
  for (int y = 0; y < argb.height(); ++y) {
    const auto* row = reinterpret_cast<const quint32*>(argb.constScanLine(y));
    for (int x = 0; x < argb.width(); ++x) *out++ = qToBigEndian(row[x]);
  }
  return p;
}

}  // namespace

QDBusArgument& operator<<(QDBusArgument& a, const SniPixmap& p) {
  a.beginStructure();
  a << p.width << p.height << p.argb;
  a.endStructure();
  return a;
}

const QDBusArgument& operator>>(const QDBusArgument& a, SniPixmap& p) {
  a.beginStructure();
  a >> p.width >> p.height >> p.argb;
  a.endStructure();
  return a;
}

QDBusArgument& operator<<(QDBusArgument& a, const SniToolTip& t) {
  a.beginStructure();
  a << t.iconName << t.pixmaps << t.title << t.description;
  a.endStructure();
  return a;
}

const QDBusArgument& operator>>(const QDBusArgument& a, SniToolTip& t) {
  a.beginStructure();
  a >> t.iconName >> t.pixmaps >> t.title >> t.description;
  a.endStructure();
  return a;
}

// The org.kde.StatusNotifierItem interface, with the XAyatana label extension.
class StatusNotifierItemAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
  Q_PROPERTY(QString Category READ category)
  Q_PROPERTY(QString Id READ id)
  Q_PROPERTY(QString Title READ title)
  Q_PROPERTY(QString Status READ status)
  Q_PROPERTY(int WindowId READ windowId)
  Q_PROPERTY(QString IconThemePath READ none)
  Q_PROPERTY(QString IconName READ none)
  Q_PROPERTY(tempyra::SniPixmaps IconPixmap READ iconPixmap)
  Q_PROPERTY(QString OverlayIconName READ none)
  Q_PROPERTY(tempyra::SniPixmaps OverlayIconPixmap READ noPixmaps)
  Q_PROPERTY(QString AttentionIconName READ none)
  Q_PROPERTY(tempyra::SniPixmaps AttentionIconPixmap READ noPixmaps)
  Q_PROPERTY(QString AttentionMovieName READ none)
  Q_PROPERTY(tempyra::SniToolTip ToolTip READ toolTip)
  Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
  Q_PROPERTY(QDBusObjectPath Menu READ menu)
  Q_PROPERTY(QString XAyatanaLabel READ label)
  Q_PROPERTY(QString XAyatanaLabelGuide READ guide)
  Q_PROPERTY(uint XAyatanaOrderingIndex READ orderingIndex)

 public:
  explicit StatusNotifierItemAdaptor(StatusNotifierItem* item)
      : QDBusAbstractAdaptor(item), item_(item) {}

  QString category() const { return QStringLiteral("Hardware"); }
  QString id() const { return QStringLiteral("tempyra"); }
  QString title() const { return QStringLiteral("Tempyra"); }
  QString status() const { return QStringLiteral("Active"); }
  int windowId() const { return 0; }
  QString none() const { return {}; }
  SniPixmaps iconPixmap() const {
    SniPixmaps out;
    for (const QImage& image : item_->icon_) out << toPixmap(image);
    return out;
  }
  SniPixmaps noPixmaps() const { return {}; }
  SniToolTip toolTip() const { return {{}, {}, item_->toolTipTitle_, item_->toolTipText_}; }
  // A left click asks for the popover; the menu is for the right click.
  bool itemIsMenu() const { return false; }
  QDBusObjectPath menu() const {
    return QDBusObjectPath(item_->menu_.isEmpty() ? QStringLiteral("/NO_DBUSMENU") : item_->menu_);
  }
  QString label() const { return item_->label_; }
  QString guide() const { return item_->guide_; }
  uint orderingIndex() const { return 0; }

 public slots:
  void Activate(int x, int y) { emit item_->activated(QPoint(x, y)); }
  void SecondaryActivate(int x, int y) { emit item_->activated(QPoint(x, y)); }
  void ContextMenu(int x, int y) { emit item_->contextMenuRequested(QPoint(x, y)); }
  void Scroll(int, const QString&) {}

 signals:
  void NewTitle();
  void NewIcon();
  void NewAttentionIcon();
  void NewOverlayIcon();
  void NewToolTip();
  void NewStatus(const QString& status);
  void XAyatanaNewLabel(const QString& label, const QString& guide);

 private:
  StatusNotifierItem* item_;
};

StatusNotifierItem::StatusNotifierItem(QDBusConnection bus, const QString& menu, QObject* parent)
    : QObject(parent), bus_(std::move(bus)), menu_(menu) {
  qDBusRegisterMetaType<SniPixmap>();
  qDBusRegisterMetaType<SniPixmaps>();
  qDBusRegisterMetaType<SniToolTip>();
  static int serial = 0;
  service_ = QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                 .arg(QCoreApplication::applicationPid())
                 .arg(++serial);
  adaptor_ = new StatusNotifierItemAdaptor(this);
  if (!bus_.isConnected() || !bus_.registerObject(kItemPath, this, QDBusConnection::ExportAdaptors) ||
      !bus_.registerService(service_)) {
    return;
  }
  auto* watcher = new QDBusServiceWatcher(kWatcher, bus_,
                                          QDBusServiceWatcher::WatchForRegistration |
                                              QDBusServiceWatcher::WatchForUnregistration,
                                          this);
  connect(watcher, &QDBusServiceWatcher::serviceRegistered, this,
          [this] { registerWithWatcher(false); });
  connect(watcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
    accepted_ = false;
    setRegistered(false);
  });
  for (const char* signal : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"}) {
    bus_.connect(kWatcher, kWatcherPath, kWatcher, QString::fromLatin1(signal), this,
                 SLOT(hostChanged()));
  }
  if (bus_.interface() && bus_.interface()->isServiceRegistered(kWatcher)) {
    registerWithWatcher(true);
  }
}

StatusNotifierItem::~StatusNotifierItem() {
  if (!bus_.isConnected()) return;
  bus_.unregisterService(service_);
  bus_.unregisterObject(kItemPath);
}

void StatusNotifierItem::hostChanged() {
  if (accepted_) checkHost(false);
}

void StatusNotifierItem::registerWithWatcher(bool wait) {
  QDBusMessage call = QDBusMessage::createMethodCall(kWatcher, kWatcherPath, kWatcher,
                                                     QStringLiteral("RegisterStatusNotifierItem"));
  call << service_;
  const auto answered = [this](bool ok, bool wait) {
    accepted_ = ok;
    if (ok) {
      checkHost(wait);
    } else {
      setRegistered(false);
    }
  };
  if (wait) {
    answered(bus_.call(call, QDBus::Block, kAnswerMs).type() == QDBusMessage::ReplyMessage, true);
    return;
  }
  auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(call, kAnswerMs), this);
  connect(pending, &QDBusPendingCallWatcher::finished, this,
          [answered](QDBusPendingCallWatcher* p) {
            p->deleteLater();
            answered(!p->isError(), false);
          });
}

void StatusNotifierItem::checkHost(bool wait) {
  QDBusMessage get = QDBusMessage::createMethodCall(
      kWatcher, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
      QStringLiteral("Get"));
  get << kWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
  // A watcher that cannot say is trusted to have a host: it took the item.
  const auto hostFrom = [](const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return true;
    const QVariant value = reply.arguments().first().value<QDBusVariant>().variant();
    return !value.canConvert<bool>() || value.toBool();
  };
  if (wait) {
    setRegistered(hostFrom(bus_.call(get, QDBus::Block, kAnswerMs)));
    return;
  }
  auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(get, kAnswerMs), this);
  connect(pending, &QDBusPendingCallWatcher::finished, this,
          [this, hostFrom](QDBusPendingCallWatcher* p) {
            p->deleteLater();
            if (accepted_) setRegistered(hostFrom(p->reply()));
          });
}

void StatusNotifierItem::setRegistered(bool registered) {
  if (registered == registered_) return;
  registered_ = registered;
  emit registeredChanged(registered);
}

void StatusNotifierItem::setIcon(const QList<QImage>& sizes) {
  icon_ = sizes;
  emit adaptor_->NewIcon();
}

void StatusNotifierItem::setLabel(const QString& label, const QString& guide) {
  if (label == label_ && guide == guide_) return;
  label_ = label;
  guide_ = guide;
  emit adaptor_->XAyatanaNewLabel(label_, guide_);
}

void StatusNotifierItem::setToolTip(const QString& title, const QString& description) {
  if (title == toolTipTitle_ && description == toolTipText_) return;
  toolTipTitle_ = title;
  toolTipText_ = description;
  emit adaptor_->NewToolTip();
}

}  // namespace tempyra

#include "status_notifier_item.moc"
