// The window's tests run without a display: Qt's offscreen platform, unless one is chosen.
#include <gtest/gtest.h>

#include <QApplication>

namespace {

// The offscreen platform warns of what it cannot pass on to a window system (size hints,
// raising a window).
QtMessageHandler qt_handler = nullptr;
void quiet(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.startsWith("This plugin does not support")) return;
  if (qt_handler) qt_handler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qt_handler = qInstallMessageHandler(quiet);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
