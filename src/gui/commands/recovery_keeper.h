#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "document/document.h"
#include "document/recovery.h"

namespace quillan::gui {

class CodeEditor;

/// Keeps a recovery copy of the document's unsaved work: written a short while after the
/// last change (and at the latest a while after the first one of a run of typing), removed
/// once the document is saved or its changes discarded. The text is taken from the editor in
/// one copy on this thread (during long typing, into memory the writer's thread made ready);
/// the file is written by that thread, so typing never waits for the disk.
class RecoveryKeeper final : public QObject {
  Q_OBJECT

 public:
  /// How long after the last change, and at most after the first unwritten one, a copy is
  /// written.
  static constexpr int kQuietMs = 2000;
  static constexpr int kLongestWaitMs = 10000;
  /// A copy due while typing goes on waits this long after the change that made it due.
  static constexpr int kAfterChangeMs = 15;
  /// The memory readied for a copy is touched this many bytes at a time.
  static constexpr std::size_t kRoomSlice = std::size_t{1} << 20;

  /// `failed` is told, once, why a copy could not be written.
  RecoveryKeeper(CodeEditor& editor, document::Document& doc, document::RecoveryStore& store,
                 std::function<void(const std::u16string&)> failed);
  /// Finishes the write in hand; the copy stays unless EndSession removed it.
  ~RecoveryKeeper() override;

  /// The text changed.
  void TextChanged();
  /// The document's flag, path or encoding changed: a document that is no longer modified
  /// has no copy.
  void DocumentChanged();
  /// Writes the copy of unsaved work now, on this thread, after the write in hand: the
  /// program is about to end.
  void WriteNow();
  /// The program ends with the work saved or knowingly discarded: the copy goes.
  void EndSession();

  /// Takes the copy of unsaved work now and hands it to the writer.
  void WriteSoon();
  /// Waits until the writer has nothing left to do.
  void WaitUntilWritten();

 private:
  struct Job {
    bool remove = false;
    std::string header;
    std::string text;
  };
  Job Snapshot();
  void Schedule();
  void PrepareRoom();
  void Queue(Job job);
  void Work();
  void Run(const Job& job);

  CodeEditor& editor_;
  document::Document& doc_;
  document::RecoveryStore& store_;
  std::function<void(const std::u16string&)> failed_;
  bool failure_told_ = false;
  // The editor holds changes that no copy has yet.
  bool unwritten_ = false;
  // Room for the next copy has been asked of the writer's thread.
  bool room_asked_ = false;
  QTimer quiet_;
  QElapsedTimer first_unwritten_;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::optional<Job> pending_;
  // Room for the next copy, its pages already touched by the writer's thread: taking fresh
  // memory for a large text faults in every page, which here would stall the keyboard.
  std::string room_;
  std::size_t room_wanted_ = 0;
  std::uint64_t room_generation_ = 0;
  bool busy_ = false;
  bool stopping_ = false;
  std::thread writer_;
};

}  // namespace quillan::gui
