// Qt Quick Test main with a QApplication (the charts need one) and the fake monitor installed
// as the `Ui` singleton's source before any QML loads.
#include <QApplication>
#include <QQmlContext>
#include <QQmlEngine>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest/quicktest.h>

#include "tests/ui/quick/fake_control.h"
#include "ui/logic/onboarding_flow.h"
#include "ui/models/symbol_images.h"
#include "ui/models/ui_context.h"

Q_IMPORT_QML_PLUGIN(Tempyra_UiPlugin)

namespace {

class Setup : public QObject {
  Q_OBJECT

 public:
  tempyra::FakeMonitor monitor;
  tempyra::LaunchSession session;
  tempyra::FakeControl control{monitor, session};
  tempyra::UiContext ui{monitor, session};

  Setup() { tempyra::UiContext::install(&ui); }

 public slots:
  void qmlEngineAvailable(QQmlEngine* engine) {
    engine->addImportPath(QStringLiteral("qrc:/"));
    engine->addImageProvider(QStringLiteral("symbol"), new tempyra::SymbolImageProvider);
    engine->rootContext()->setContextProperty(QStringLiteral("fake"), &control);
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  Setup setup;
  return quick_test_main_with_setup(argc, argv, "tempyra_ui", QUICK_TEST_SOURCE_DIR, &setup);
}

#include "quick_test_main.moc"
