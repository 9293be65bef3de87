#pragma once

#include <QString>
#include <memory>
#include <optional>

#include "gui/app/application.h"
#include "gui/app/qt_ports.h"
#include "gui/widgets/code_editor.h"
#include "gui/widgets/editor_buffer.h"
#include "gui/widgets/qt_convert.h"
#include "gui/windows/main_window.h"
#include "platform/posix_file_store.h"
#include "settings/settings_store.h"
#include "support/recorders.h"

namespace quillan::testing_support {

/// The program path that start-up writes to "dir"/"path" in the tests.
inline const QString kTestProgramPath = "/opt/quillan/bin/quillan";

/// The real program on test ports: an in-memory settings store, a recording messenger,
/// scripted file dialogs and the real file store. Other ports may be set in `ports` before
/// `Make`.
struct WindowFixture {
  settings::MemorySettingsStore store;
  RecordingMessenger messenger;
  ScriptedChooser chooser;
  platform::PosixFileStore files;
  document::MemoryRecoveryStore recovery;
  gui::Ports ports;
  bool real_messages = false;  ///< real message boxes instead of the recorder
  std::unique_ptr<gui::Application> app;
  gui::MainWindow* window = nullptr;

  /// Makes the program and, when options are given, runs its start-up.
  void Make(std::optional<gui::StartupOptions> startup) {
    ports.settings = &store;
    if (!real_messages) ports.messenger = &messenger;
    ports.chooser = &chooser;
    ports.files = &files;
    if (ports.recovery == nullptr) ports.recovery = &recovery;
    app = std::make_unique<gui::Application>(ports);
    window = app->main_window();
    if (startup) app->Startup(*startup);
  }
  /// Start-up options without a project argument.
  static gui::StartupOptions Plain() { return gui::StartupOptions{kTestProgramPath, std::nullopt}; }
  /// The editor's text as the document sees it (CR LF line ends).
  QString Text() const { return gui::ToQString(app->buffer().Text()); }
};

}  // namespace quillan::testing_support
