#include "ui/shell/xembed_icon.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QRasterWindow>
#include <QScreen>
#include <QSurfaceFormat>

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>

namespace tempyra {

namespace {

// The size trays are offered before they set their own (the common panel icon).
constexpr int kIconSize = 22;
// How long the pointer rests before the tooltip shows, and how long it stays, as desktop
// toolkits have them; where it shows, below right of the pointer.
constexpr int kTipWakeMs = 700;
constexpr int kTipShowMs = 10000;
const QPoint kTipOffset(2, 16);
constexpr int kTipPadX = 4;
constexpr int kTipPadY = 2;

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_connection_t* connection() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

// The X screen the application runs on: the number after the display's dot (":0.1"), else 0,
// as the connection was opened from the same variable.
int screenNumber() {
  const QByteArray display = qgetenv("DISPLAY");
  const int colon = display.lastIndexOf(':');
  const int dot = colon < 0 ? -1 : display.indexOf('.', colon + 1);
  if (dot < 0) return 0;
  bool ok = false;
  const int n = display.mid(dot + 1).toInt(&ok);
  return ok && n >= 0 ? n : 0;
}

xcb_screen_t* xScreen(xcb_connection_t* c) {
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
  for (int n = screenNumber(); n > 0 && it.rem > 0; --n) xcb_screen_next(&it);
  return it.rem > 0 ? it.data : nullptr;
}

xcb_atom_t atom(xcb_connection_t* c, const QByteArray& name) {
  const Reply<xcb_intern_atom_reply_t> reply(
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, name.size(), name.constData()), nullptr),
      &std::free);
  return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The tray's manager window: the owner of the screen's tray selection.
xcb_window_t trayManager(xcb_connection_t* c) {
  const xcb_atom_t selection = atom(c, "_NET_SYSTEM_TRAY_S" + QByteArray::number(screenNumber()));
  if (selection == XCB_ATOM_NONE) return XCB_NONE;
  const Reply<xcb_get_selection_owner_reply_t> owner(
      xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr),
      &std::free);
  return owner ? owner->owner : xcb_window_t(XCB_NONE);
}

// Whether the tray asks for icons with an alpha channel: the visual it names has 32 bits.
bool trayVisualHasAlpha(xcb_connection_t* c, xcb_window_t manager) {
  const xcb_atom_t property = atom(c, "_NET_SYSTEM_TRAY_VISUAL");
  const Reply<xcb_get_property_reply_t> reply(
      xcb_get_property_reply(
          c, xcb_get_property(c, 0, manager, property, XCB_ATOM_VISUALID, 0, 1), nullptr),
      &std::free);
  if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4) {
    return false;
  }
  const xcb_visualid_t visual =
      *static_cast<const xcb_visualid_t*>(xcb_get_property_value(reply.get()));
  xcb_screen_t* screen = xScreen(c);
  if (!screen) return false;
  for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem > 0; xcb_depth_next(&d)) {
    for (auto v = xcb_depth_visuals_iterator(d.data); v.rem > 0; xcb_visualtype_next(&v)) {
      if (v.data->visual_id == visual) return d.data->depth == 32;
    }
  }
  return false;
}

}  // namespace

// The window the tray takes in: frameless, outside the window manager's care, drawn over the
// tray's own background.
class XEmbedIcon::IconWindow : public QRasterWindow {
 public:
  IconWindow(XEmbedIcon& owner, bool alpha) : owner_(owner), alpha_(alpha) {
    setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
    if (alpha_) {
      QSurfaceFormat f = format();
      f.setAlphaBufferSize(8);
      setFormat(f);
    }
    setGeometry(0, 0, kIconSize, kIconSize);
    setMinimumSize(QSize(kIconSize, kIconSize));
  }

  // The tray moved the window (docked it, or a restart handed it back): its background is
  // taken afresh before the next drawing.
  void forgetBackground() {
    background_ = QPixmap();
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    const QRect r(QPoint(0, 0), size());
    QPainter painter(this);
    if (alpha_) {
      painter.setCompositionMode(QPainter::CompositionMode_Source);
      painter.fillRect(r, Qt::transparent);
      painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    } else {
      if (background_.isNull() || background_.deviceIndependentSize().toSize() != size()) {
        background_ = grabBackground();
      }
      painter.drawPixmap(0, 0, background_);
    }
    owner_.icon_.paint(&painter, r);
  }

  void resizeEvent(QResizeEvent*) override { forgetBackground(); }

  void mousePressEvent(QMouseEvent* e) override {
    owner_.left();
    if (e->button() == Qt::RightButton) {
      emit owner_.contextMenuRequested(e->globalPosition().toPoint());
    } else if (e->button() == Qt::LeftButton || e->button() == Qt::MiddleButton) {
      emit owner_.activated();
    }
  }

  void mouseMoveEvent(QMouseEvent* e) override { owner_.hovered(e->globalPosition().toPoint()); }

  bool event(QEvent* e) override {
    if (e->type() == QEvent::Leave) owner_.left();
    return QRasterWindow::event(e);
  }

 private:
  // Without an alpha channel the tray's background shows through as a copy: the window takes
  // its parent's background (set as it was created), the server paints it into the cleared
  // window, and it is copied before anything of ours is drawn over it.
  QPixmap grabBackground() {
    xcb_connection_t* c = connection();
    if (!c || !screen()) return QPixmap();
    xcb_clear_area(c, 0, xcb_window_t(winId()), 0, 0, 0, 0);
    return screen()->grabWindow(winId(), 0, 0, width(), height());
  }

  XEmbedIcon& owner_;
  const bool alpha_;
  QPixmap background_;
};

// The tooltip: the text in the palette's tooltip colours, in a thin frame.
class XEmbedIcon::TipWindow : public QRasterWindow {
 public:
  TipWindow() {
    setFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
  }

  void showText(const QString& text, QPoint pointer) {
    text_ = text;
    const QFontMetrics metrics(QGuiApplication::font());
    const QSize textSize =
        metrics.boundingRect(QRect(0, 0, 4000, 4000), Qt::TextExpandTabs, text_).size();
    const QSize size = textSize + QSize(2 * kTipPadX, 2 * kTipPadY);
    const QScreen* screen = QGuiApplication::screenAt(pointer);
    if (!screen) screen = QGuiApplication::primaryScreen();
    QPoint at = pointer + kTipOffset;
    if (screen) {
      // Kept on the screen: left of the pointer near the right edge, above it over a bottom
      // panel.
      const QRect area = screen->availableGeometry();
      if (at.x() + size.width() > area.right()) at.setX(area.right() + 1 - size.width());
      if (at.y() + size.height() > area.bottom()) at.setY(pointer.y() - kTipOffset.y() - size.height());
      at.setX(std::max(at.x(), area.left()));
      at.setY(std::max(at.y(), area.top()));
    }
    setGeometry(QRect(at, size));
    update();
    show();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    const QRect r(QPoint(0, 0), size());
    const QPalette palette = QGuiApplication::palette();
    QPainter painter(this);
    painter.fillRect(r, palette.toolTipBase());
    painter.setPen(palette.toolTipText().color());
    painter.drawRect(r.adjusted(0, 0, -1, -1));
    painter.drawText(r.adjusted(kTipPadX, kTipPadY, -kTipPadX, -kTipPadY),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextExpandTabs, text_);
  }

 private:
  QString text_;
};

XEmbedIcon::XEmbedIcon(QObject* parent) : QObject(parent) {
  tipWake_.setSingleShot(true);
  tipWake_.setInterval(kTipWakeMs);
  connect(&tipWake_, &QTimer::timeout, this, &XEmbedIcon::showTip);
  tipSleep_.setSingleShot(true);
  tipSleep_.setInterval(kTipShowMs);
  connect(&tipSleep_, &QTimer::timeout, this, &XEmbedIcon::left);
  QCoreApplication::instance()->installNativeEventFilter(this);
}

XEmbedIcon::~XEmbedIcon() {
  QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool XEmbedIcon::trayAvailable() {
  xcb_connection_t* c = connection();
  return c && trayManager(c) != XCB_NONE;
}

void XEmbedIcon::show() {
  if (window_) return;
  xcb_connection_t* c = connection();
  const xcb_window_t manager = c ? trayManager(c) : xcb_window_t(XCB_NONE);
  if (manager == XCB_NONE) return;
  const bool alpha = trayVisualHasAlpha(c, manager);
  window_ = std::make_unique<IconWindow>(*this, alpha);
  window_->create();
  const auto id = xcb_window_t(window_->winId());
  if (!alpha) {
    const std::uint32_t parentRelative = XCB_BACK_PIXMAP_PARENT_RELATIVE;
    xcb_change_window_attributes(c, id, XCB_CW_BACK_PIXMAP, &parentRelative);
  }
  // The dock request. The window is not shown here: mapped before the tray takes it in, the
  // reparenting unmaps it and some trays (GTK's sockets) then count it hidden, one pixel wide.
  // The tray tells the window it is embedded, and the platform maps it then.
  xcb_client_message_event_t request{};
  request.response_type = XCB_CLIENT_MESSAGE;
  request.format = 32;
  request.window = manager;
  request.type = atom(c, "_NET_SYSTEM_TRAY_OPCODE");
  request.data.data32[0] = XCB_CURRENT_TIME;
  request.data.data32[1] = 0;  // SYSTEM_TRAY_REQUEST_DOCK
  request.data.data32[2] = id;
  xcb_send_event(c, 0, manager, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&request));
  xcb_flush(c);
}

void XEmbedIcon::hide() {
  left();
  // Destroying the window is what trays watch for: they close the gap at once.
  window_.reset();
}

void XEmbedIcon::setIcon(const QIcon& icon) {
  icon_ = icon;
  if (window_) window_->update();
}

void XEmbedIcon::setToolTip(const QString& text) {
  toolTip_ = text;
  if (tip_ && tip_->isVisible()) tip_->showText(toolTip_, hoverAt_);
}

std::optional<QRect> XEmbedIcon::screenGeometry() const {
  xcb_connection_t* c = connection();
  const xcb_screen_t* screen = c ? xScreen(c) : nullptr;
  if (!window_ || !screen) return std::nullopt;
  const auto id = xcb_window_t(window_->winId());
  const Reply<xcb_get_geometry_reply_t> geometry(
      xcb_get_geometry_reply(c, xcb_get_geometry(c, id), nullptr), &std::free);
  const Reply<xcb_translate_coordinates_reply_t> at(
      xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, id, screen->root, 0, 0),
                                      nullptr),
      &std::free);
  if (!geometry || !at) return std::nullopt;
  return QRect(at->dst_x, at->dst_y, geometry->width, geometry->height);
}

bool XEmbedIcon::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (!window_ || eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7f) != XCB_REPARENT_NOTIFY) return false;
  const auto* moved = static_cast<const xcb_reparent_notify_event_t*>(message);
  const auto id = xcb_window_t(window_->winId());
  if (moved->window != id) return false;
  window_->forgetBackground();
  const xcb_screen_t* screen = xScreen(connection());
  if (!screen) return false;
  if (moved->parent != screen->root) return false;  // docked
  // A tray that quits leaves the windows it held on the root window (mapped, where it kept
  // them in its save-set): the icon leaves at once, and the tray item looks for a tray again.
  QTimer::singleShot(0, this, [this, id] {
    if (!window_ || xcb_window_t(window_->winId()) != id) return;
    hide();
    emit trayLost();
  });
  return false;  // the platform follows the window too
}

void XEmbedIcon::hovered(QPoint at) {
  hoverAt_ = at;
  if (!tip_ || !tip_->isVisible()) tipWake_.start();
}

void XEmbedIcon::left() {
  tipWake_.stop();
  tipSleep_.stop();
  if (tip_) tip_->hide();
}

void XEmbedIcon::showTip() {
  if (!window_ || toolTip_.isEmpty()) return;
  if (!tip_) tip_ = std::make_unique<TipWindow>();
  tip_->showText(toolTip_, hoverAt_);
  tipSleep_.start();
}

}  // namespace tempyra
