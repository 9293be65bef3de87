// Key press to glyph on the screen, measured from outside an editor as a user sees it: a key
// is pressed through XTest, and the time runs until the line being typed into shows a change
// on the screen. Damage reports say when the window was drawn on; the line is then read back
// and compared with what it showed before the key. A change of at least three pixel columns
// counts, so the caret blinking (one column) never passes for a glyph.
//
//   key_to_glyph find WINDOW
//       presses the key twice and prints the band of the window that changed most widely:
//       "x y width height", the line the caret is on.
//   key_to_glyph type WINDOW X Y WIDTH HEIGHT COUNT PAUSE_MS
//       presses the key COUNT times, PAUSE_MS after each glyph appeared, and prints each
//       key's milliseconds from press to glyph, one a line, with what a watching thread of
//       the probe saw of the machine while the key was on its way: the longest time it was
//       held back (it sleeps a millisecond at a time and notes how late it wakes), and the
//       most its fixed work was slowed (after each wake it does a few tens of microseconds
//       of arithmetic and times it in its own processor time: 1 is its usual pace). A key
//       slow while that thread was held back as long, or slowed several times over, was
//       slowed by the machine (its processors busy elsewhere, or running slow or not at all
//       beneath the system), not by the editor.
//
// The key is "x". The window must be shown and have the keyboard focus.
#include <poll.h>
#include <time.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Band {
  int x = 0, y = 0, width = 0, height = 0;
};

[[noreturn]] void Fail(const std::string& why) {
  std::fprintf(stderr, "key_to_glyph: %s\n", why.c_str());
  std::exit(1);
}

class Screen {
 public:
  explicit Screen(xcb_window_t window) : window_(window) {
    c_ = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c_)) Fail("no X display");
    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(c_, &xcb_damage_id);
    if (damage == nullptr || !damage->present) Fail("the X server has no DAMAGE extension");
    damage_event_ = damage->first_event + XCB_DAMAGE_NOTIFY;
    free(xcb_damage_query_version_reply(c_, xcb_damage_query_version(c_, 1, 1), nullptr));
    damage_ = xcb_generate_id(c_);
    xcb_damage_create(c_, damage_, window_, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
    keycode_ = KeycodeOf('x');
    auto geometry = xcb_get_geometry_reply(c_, xcb_get_geometry(c_, window_), nullptr);
    if (geometry == nullptr) Fail("no such window");
    width_ = geometry->width;
    height_ = geometry->height;
    free(geometry);
  }
  ~Screen() { xcb_disconnect(c_); }

  int width() const { return width_; }
  int height() const { return height_; }

  // The pixels of a band of the window, 32 bits each.
  std::vector<std::uint32_t> Read(const Band& b) {
    auto reply = xcb_get_image_reply(
        c_,
        xcb_get_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, static_cast<std::int16_t>(b.x),
                      static_cast<std::int16_t>(b.y), static_cast<std::uint16_t>(b.width),
                      static_cast<std::uint16_t>(b.height), 0xFFFFFFFF),
        nullptr);
    if (reply == nullptr) Fail("the window cannot be read (is it shown?)");
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(b.width) * b.height);
    const std::size_t bytes =
        std::min<std::size_t>(pixels.size() * 4, xcb_get_image_data_length(reply));
    std::memcpy(pixels.data(), xcb_get_image_data(reply), bytes);
    free(reply);
    for (auto& p : pixels) p &= 0xFFFFFF;
    return pixels;
  }

  void Press() {
    xcb_test_fake_input(c_, XCB_KEY_PRESS, keycode_, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_test_fake_input(c_, XCB_KEY_RELEASE, keycode_, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(c_);
  }

  // Forgets the damage so far; the next drawing is reported again.
  void Rearm() {
    xcb_damage_subtract(c_, damage_, XCB_NONE, XCB_NONE);
    xcb_flush(c_);
  }

  // Waits up to `ms` for the window to be drawn on; false when it was not.
  bool WaitForDamage(int ms) {
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
      bool damaged = false;
      while (xcb_generic_event_t* event = xcb_poll_for_event(c_)) {
        if ((event->response_type & 0x7F) == damage_event_) damaged = true;
        free(event);
      }
      if (xcb_connection_has_error(c_)) Fail("the X connection broke");
      if (damaged) return true;
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
      if (left <= 0) return false;
      pollfd fd{xcb_get_file_descriptor(c_), POLLIN, 0};
      poll(&fd, 1, static_cast<int>(left));
    }
  }

 private:
  xcb_keycode_t KeycodeOf(xcb_keysym_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(c_);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    auto reply = xcb_get_keyboard_mapping_reply(
        c_, xcb_get_keyboard_mapping(c_, setup->min_keycode, static_cast<std::uint8_t>(count)),
        nullptr);
    if (reply == nullptr) Fail("no keyboard mapping");
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
    for (int k = 0; k < count; ++k) {
      if (syms[k * reply->keysyms_per_keycode] == keysym) {
        free(reply);
        return static_cast<xcb_keycode_t>(setup->min_keycode + k);
      }
    }
    Fail("no key makes an x");
  }

  xcb_connection_t* c_;
  xcb_window_t window_;
  xcb_damage_damage_t damage_ = 0;
  int damage_event_ = 0;
  xcb_keycode_t keycode_ = 0;
  int width_ = 0, height_ = 0;
};

// The number of pixel columns in which two readings of a band differ.
int ChangedColumns(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b,
                   const Band& band) {
  int columns = 0;
  for (int x = 0; x < band.width; ++x) {
    for (int y = 0; y < band.height; ++y) {
      const std::size_t i = static_cast<std::size_t>(y) * band.width + x;
      if (a[i] != b[i]) {
        ++columns;
        break;
      }
    }
  }
  return columns;
}

constexpr int kGlyphColumns = 3;

// The watching thread's fixed work: arithmetic that no compiler folds away.
std::uint64_t Arithmetic(int rounds) {
  std::uint64_t x = 1;
  for (int i = 0; i < rounds; ++i) {
    x = x * 6364136223846793005ULL + 1442695040888963407ULL;
    asm volatile("" : "+r"(x));
  }
  return x;
}

// The processor time of the calling thread: other programs taking the processor do not count
// in it, a processor slowed or stopped beneath the system does.
std::chrono::nanoseconds ThreadTime() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
}

// Wakes every millisecond, times its fixed work, and keeps each wake-up that came late by
// more than a millisecond or whose work took twice its usual time.
class DelayWatch {
 public:
  struct Seen {
    double late_ms = 0;   // the longest time the thread was held back
    double slowdown = 1;  // the most its work was slowed, against its usual pace
  };

  DelayWatch() : thread_([this] { Watch(); }) {}
  ~DelayWatch() {
    stop_ = true;
    thread_.join();
  }
  // What the thread saw of the machine between from and to.
  Seen During(Clock::time_point from, Clock::time_point to) {
    std::lock_guard lock(mutex_);
    Seen seen;
    for (const Note& n : notes_) {
      if (n.to < from || n.from > to) continue;
      seen.late_ms = std::max(seen.late_ms, n.seen.late_ms);
      seen.slowdown = std::max(seen.slowdown, n.seen.slowdown);
    }
    return seen;
  }

 private:
  struct Note {
    Clock::time_point from, to;
    Seen seen;
  };

  void Watch() {
    // About 20 microseconds of work; its usual time is the median of fifty.
    int rounds = 1000;
    auto timed = [this, &rounds] {
      const auto before = ThreadTime();
      sink_ = sink_ + Arithmetic(rounds);
      return ThreadTime() - before;
    };
    while (timed() < std::chrono::microseconds(20) && rounds < (1 << 24)) rounds *= 2;
    std::vector<std::chrono::nanoseconds> samples(50);
    for (auto& sample : samples) sample = timed();
    std::nth_element(samples.begin(), samples.begin() + 25, samples.end());
    const double usual = static_cast<double>(samples[25].count());
    while (!stop_) {
      const auto asleep = Clock::now();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      const auto awake = Clock::now();
      const double slowdown = static_cast<double>(timed().count()) / usual;
      const double late_ms =
          std::chrono::duration<double, std::milli>(awake - asleep).count() - 1.0;
      if (late_ms > 1 || slowdown >= 2) {
        std::lock_guard lock(mutex_);
        notes_.push_back({asleep + std::chrono::milliseconds(1),
                          Clock::now(),
                          {std::max(late_ms, 0.0), slowdown}});
      }
    }
  }

  std::mutex mutex_;
  std::vector<Note> notes_;
  std::atomic<bool> stop_{false};
  std::uint64_t sink_ = 0;
  std::thread thread_;
};

Band Find(Screen& screen) {
  // The first key also marks the document modified wherever the window shows that; the
  // second one changes little more than the line.
  const Band whole{0, 0, screen.width(), screen.height()};
  screen.Press();
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  const auto before = screen.Read(whole);
  screen.Press();
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  const auto after = screen.Read(whole);
  // Runs of rows that changed; the one whose changes span the most columns is the line.
  Band best;
  int best_span = 0;
  for (int y = 0; y < whole.height;) {
    auto row_changed = [&](int row, int& first, int& last) {
      first = whole.width, last = -1;
      for (int x = 0; x < whole.width; ++x) {
        const std::size_t i = static_cast<std::size_t>(row) * whole.width + x;
        if (before[i] != after[i]) first = std::min(first, x), last = std::max(last, x);
      }
      return last >= 0;
    };
    int first = 0, last = 0;
    if (!row_changed(y, first, last)) {
      ++y;
      continue;
    }
    Band run{first, y, 0, 0};
    int right = last;
    while (y < whole.height && row_changed(y, first, last)) {
      run.x = std::min(run.x, first);
      right = std::max(right, last);
      ++y;
    }
    run.height = y - run.y;
    run.width = right - run.x + 1;
    if (run.width > best_span) best_span = run.width, best = run;
  }
  if (best_span < kGlyphColumns) Fail("the key changed nothing on the screen");
  // The line grows to the right as keys go on: the band reaches the window's right edge, and
  // three lines further down, where an editor that wraps lines puts what no longer fits.
  best.width = whole.width - best.x;
  best.height = std::min(4 * best.height, whole.height - best.y);
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 2 ? argv[1] : "";
  if (mode != "find" && !(mode == "type" && argc == 9)) {
    std::fprintf(stderr,
                 "usage: key_to_glyph find WINDOW\n"
                 "       key_to_glyph type WINDOW X Y WIDTH HEIGHT COUNT PAUSE_MS\n");
    return 2;
  }
  Screen screen(static_cast<xcb_window_t>(std::strtoul(argv[2], nullptr, 0)));
  if (mode == "find") {
    const Band b = Find(screen);
    std::printf("%d %d %d %d\n", b.x, b.y, b.width, b.height);
    return 0;
  }
  const Band band{std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]), std::atoi(argv[6])};
  const int count = std::atoi(argv[7]);
  const int pause_ms = std::atoi(argv[8]);
  DelayWatch machine;
  for (int key = 0; key < count; ++key) {
    screen.Rearm();
    const auto before = screen.Read(band);
    const auto pressed = Clock::now();
    screen.Press();
    for (;;) {
      // Drawing is reported as it happens; a look every few milliseconds besides catches a
      // change whose report was merged into one already taken.
      const bool damaged = screen.WaitForDamage(5);
      if (damaged) screen.Rearm();
      const auto now = screen.Read(band);
      const auto seen = Clock::now();
      if (ChangedColumns(before, now, band) >= kGlyphColumns) {
        const DelayWatch::Seen watched = machine.During(pressed, seen);
        std::printf("%.3f %.3f %.1f\n",
                    std::chrono::duration<double, std::milli>(seen - pressed).count(),
                    watched.late_ms, watched.slowdown);
        std::fflush(stdout);
        break;
      }
      if (seen - pressed > std::chrono::seconds(10)) {
        Fail("no glyph ten seconds after key " + std::to_string(key + 1));
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(pause_ms));
  }
  return 0;
}
