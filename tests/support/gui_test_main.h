#pragma once

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace quillan::testing_support {

/// Gives the test a home of its own before Qt starts, whoever runs it: ctest or a developer
/// by hand. Settings, desktop entries, icons and caches then land in a temporary folder that
/// goes with the test, never in the real user's. The offscreen platform is used unless the
/// caller asked for another.
inline void IsolateFromTheUser() {
  static QTemporaryDir home(QDir::tempPath() + "/quillan-test-XXXXXX");
  const QByteArray root = QFile::encodeName(home.path());
  qputenv("HOME", root);
  qputenv("XDG_CONFIG_HOME", root + "/.config");
  qputenv("XDG_DATA_HOME", root + "/.local/share");
  qputenv("XDG_CACHE_HOME", root + "/.cache");
  qputenv("XDG_STATE_HOME", root + "/.local/state");
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

}  // namespace quillan::testing_support

/// The main of every GUI test: QTEST_MAIN, run in a home of its own.
#define QUILLAN_GUI_TEST_MAIN(TestClass) \
  QTEST_MAIN_WRAPPER(TestClass, quillan::testing_support::IsolateFromTheUser(); QTEST_MAIN_SETUP())
