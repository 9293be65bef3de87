#pragma once

#include <QString>
#include <memory>
#include <optional>

#include "gui/main_window.h"
#include "gui/qt_convert.h"
#include "gui/qt_ports.h"
#include "settings/settings_store.h"
#include "support/recorders.h"

namespace quillan::testing_support {

/// The program path that start-up writes to "dir"/"path" in the tests.
inline const QString kTestProgramPath = "/opt/quillan/bin/quillan";

/// A real main window on test ports: an in-memory settings store, a recording messenger,
/// scripted file dialogs and the real file store.
struct WindowFixture {
  settings::MemorySettingsStore store;
  RecordingMessenger messenger;
  ScriptedChooser chooser;
  gui::QtFileStore files;
  std::unique_ptr<gui::MainWindow> window;

  /// Makes the window and, when options are given, runs its start-up.
  void Make(std::optional<gui::StartupOptions> startup) {
    gui::MainWindowPorts ports;
    ports.settings = &store;
    ports.messenger = &messenger;
    ports.chooser = &chooser;
    ports.files = &files;
    window = std::make_unique<gui::MainWindow>(ports);
    if (startup) window->Startup(*startup);
  }
  /// Start-up options without a project argument.
  static gui::StartupOptions Plain() { return gui::StartupOptions{kTestProgramPath, std::nullopt}; }
  /// The editor's text as the document sees it (CR LF line ends).
  QString Text() const { return gui::ToQString(window->buffer().Text()); }
};

}  // namespace quillan::testing_support
