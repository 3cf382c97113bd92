// Qt Quick Test main with a QApplication (the charts need one) and the fake monitor's setup.
#include <QApplication>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest/quicktest.h>

#include "tests/ui/quick/fake_control.h"

Q_IMPORT_QML_PLUGIN(Tempyra_UiPlugin)

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  tempyra::FakeControl setup;
  return quick_test_main_with_setup(argc, argv, "tempyra_ui", QUICK_TEST_SOURCE_DIR, &setup);
}
