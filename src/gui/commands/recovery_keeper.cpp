#include "gui/commands/recovery_keeper.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <utility>

#include "document/document_commands.h"
#include "gui/widgets/code_editor.h"

namespace quillan::gui {

namespace {

// The keeper of the running program, for the last write when the program is ended from
// inside the toolkit (its display went away) without unwinding.
RecoveryKeeper* live_keeper = nullptr;

void WriteAtExit() {
  if (live_keeper != nullptr) live_keeper->WriteNow();
}

std::int64_t SecondsNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

RecoveryKeeper::RecoveryKeeper(CodeEditor& editor, document::Document& doc,
                               document::RecoveryStore& store,
                               std::function<void(const std::u16string&)> failed)
    : editor_(editor), doc_(doc), store_(store), failed_(std::move(failed)) {
  quiet_.setSingleShot(true);
  connect(&quiet_, &QTimer::timeout, this, &RecoveryKeeper::WriteSoon);
  writer_ = std::thread([this] { Work(); });
  static const bool registered = std::atexit(WriteAtExit) == 0;
  (void)registered;
  live_keeper = this;
}

RecoveryKeeper::~RecoveryKeeper() {
  if (live_keeper == this) live_keeper = nullptr;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  writer_.join();
}

void RecoveryKeeper::TextChanged() {
  if (!unwritten_) first_unwritten_.start();
  unwritten_ = true;
  Schedule();
}

void RecoveryKeeper::PrepareRoom() {
  room_asked_ = true;
  // Enough for the text and for a good deal of typing before the copy is taken.
  const auto length = static_cast<std::size_t>(editor_.Send(QsciScintillaBase::SCI_GETLENGTH));
  const std::size_t wanted = length + length / 16 + (1 << 16);
  {
    std::lock_guard lock(mutex_);
    if (room_.capacity() >= length + length / 32) return;
    room_wanted_ = wanted;
  }
  wake_.notify_all();
}

void RecoveryKeeper::DocumentChanged() {
  if (!doc_.IsModified()) {
    quiet_.stop();
    unwritten_ = false;
    room_asked_ = false;
    {
      std::lock_guard lock(mutex_);
      room_ = std::string();
      room_wanted_ = 0;
      ++room_generation_;
    }
    Queue(Job{true, {}, {}});
    return;
  }
  // The path or encoding a copy names may have changed with the flag.
  if (!unwritten_) first_unwritten_.start();
  unwritten_ = true;
  Schedule();
}

void RecoveryKeeper::Schedule() {
  if (!doc_.IsModified()) return;
  // Typing that goes on and on still gets a copy now and then.
  const qint64 waited = first_unwritten_.elapsed();
  // Typing on past half the longest wait will be copied before it pauses: the room for that
  // copy is made ready now, away from this thread. (A copy taken in a pause needs none.)
  if (waited >= kLongestWaitMs / 2 && !room_asked_) PrepareRoom();
  const qint64 left = kLongestWaitMs - waited;
  qint64 wait = std::clamp<qint64>(left, 0, kQuietMs);
  // A copy due while typing goes on is taken a moment after the change, once it is on the
  // screen and before the next key is likely to come: taken at once, the copy of a large
  // text held that key's glyph back. Only changes coming faster than that for a second
  // longer are not waited for.
  if (wait < kAfterChangeMs && left > -1000) wait = kAfterChangeMs;
  quiet_.start(static_cast<int>(wait));
}

RecoveryKeeper::Job RecoveryKeeper::Snapshot() {
  using Sci = QsciScintillaBase;
  // The text in its two pieces on either side of the editor's gap: asking for it whole would
  // move the gap to the end, and the next keystroke would move it back, a copy of the text
  // each time.
  const long length = editor_.Send(Sci::SCI_GETLENGTH);
  const long gap = std::clamp(editor_.Send(Sci::SCI_GETGAPPOSITION), 0L, length);
  Job job;
  {
    std::lock_guard lock(mutex_);
    job.text = std::move(room_);
    room_ = std::string();
    room_wanted_ = 0;
  }
  room_asked_ = false;
  job.text.clear();
  job.text.reserve(static_cast<std::size_t>(length));
  for (const auto& [from, count] : {std::pair{0L, gap}, std::pair{gap, length - gap}}) {
    if (count == 0) continue;
    const auto* bytes = reinterpret_cast<const char*>(
        editor_.Send(Sci::SCI_GETRANGEPOINTER, static_cast<unsigned long>(from), count));
    job.text.append(bytes, static_cast<std::size_t>(count));
  }
  job.header =
      document::RecoveryHeader(document::RecoveryInfoOf(doc_, SecondsNow()), job.text.size());
  return job;
}

void RecoveryKeeper::WriteSoon() {
  if (!unwritten_ || !doc_.IsModified()) return;
  unwritten_ = false;
  Queue(Snapshot());
}

void RecoveryKeeper::Queue(Job job) {
  {
    std::lock_guard lock(mutex_);
    // Only the newest state matters: a copy not yet begun is replaced.
    pending_ = std::move(job);
  }
  wake_.notify_all();
}

void RecoveryKeeper::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return pending_.has_value() || room_wanted_ > 0 || stopping_; });
    if (!pending_ && room_wanted_ > 0 && !stopping_) {
      const std::size_t size = std::exchange(room_wanted_, 0);
      const std::uint64_t generation = room_generation_;
      lock.unlock();
      // Every page is touched, a slice at a time with a pause between: touched at once, the
      // pages of a large text kept the processor from the window's thread for many
      // milliseconds, a key that showed late.
      std::string room;
      room.reserve(size);
      for (std::size_t touched = 0; touched < size;) {
        touched = std::min(size, touched + kRoomSlice);
        room.resize(touched);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      room.clear();
      lock.lock();
      // Unless the work was saved or discarded meanwhile.
      if (generation == room_generation_ && room.capacity() > room_.capacity()) {
        room_ = std::move(room);
      }
      continue;
    }
    if (!pending_) return;
    const Job job = std::move(*pending_);
    pending_.reset();
    busy_ = true;
    lock.unlock();
    Run(job);
    lock.lock();
    busy_ = false;
    wake_.notify_all();
  }
}

void RecoveryKeeper::Run(const Job& job) {
  if (job.remove) {
    store_.Remove();
    return;
  }
  const auto error = store_.Write(job.header, job.text);
  if (!error) return;
  // Told on this object's thread, once.
  QMetaObject::invokeMethod(
      this,
      [this, message = *error] {
        if (failure_told_) return;
        failure_told_ = true;
        failed_(message);
      },
      Qt::QueuedConnection);
}

void RecoveryKeeper::WaitUntilWritten() {
  std::unique_lock lock(mutex_);
  wake_.wait(lock, [this] { return !pending_ && !busy_; });
}

void RecoveryKeeper::WriteNow() {
  quiet_.stop();
  if (unwritten_ && doc_.IsModified()) Queue(Snapshot());
  unwritten_ = false;
  WaitUntilWritten();
}

void RecoveryKeeper::EndSession() {
  quiet_.stop();
  unwritten_ = false;
  std::unique_lock lock(mutex_);
  pending_.reset();
  wake_.wait(lock, [this] { return !busy_; });
  store_.Remove();
}

}  // namespace quillan::gui
