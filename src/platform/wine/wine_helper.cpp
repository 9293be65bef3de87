#include "platform/wine/wine_helper.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>

#include "platform/wine/child_process.h"
#include "text/vb_string.h"

namespace quillan::platform {

namespace {

namespace protocol = wintools::protocol;
using Clock = std::chrono::steady_clock;

constexpr std::u16string_view kNoAnswer = u"The Wine helper did not answer in time.";
constexpr std::u16string_view kEnded = u"The Wine helper ended.";
constexpr std::u16string_view kGarbage = u"The Wine helper answered something it should not have.";

bool Readable(const std::string& path) {
  return !path.empty() && ::access(path.c_str(), R_OK) == 0;
}

// PATH and WINEDEBUG=-all (the helper's messages go nowhere, and cost time), then the
// prefix's own variables; a name Unix cannot pass is left out.
std::vector<std::string> HelperEnvironment(const WinePrefix& prefix) {
  const char* path = std::getenv("PATH");
  std::vector<std::string> env = {std::string("PATH=") +
                                  (path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin")};
  for (const auto& [name, value] : prefix.environment) {
    if (name.empty() || name.find_first_of(std::string_view("=\0", 2)) != std::string::npos ||
        value.find('\0') != std::string::npos || name == "WINEDEBUG") {
      continue;
    }
    if (name == "PATH") env.erase(env.begin());
    env.push_back(name + "=" + value);
  }
  env.push_back("WINEDEBUG=-all");
  return env;
}

// The world of one helper process.
class HelperWorld final : public WineWorld, private protocol::WindowChannel {
 public:
  HelperWorld(const WinePrefix& prefix, const WineWorldOptions& options)
      : start_deadline_(Clock::now() + options.start), windows_(*this, options.deadlines) {
    const std::string helper = options.helper.empty() ? FindWineHelper() : options.helper;
    if (!Readable(helper)) {
      Fail(u"Quillan's Wine helper (" + text::FromUtf8(kWineHelperName) + u") was not found.");
      return;
    }
    std::string error;
    process_ = ChildProcess::Start({prefix.loader, helper}, HelperEnvironment(prefix), error);
    if (!process_) {
      Fail(u"Wine cannot be started (" + text::FromUtf8(prefix.loader) + u": " +
           text::FromUtf8(error) + u").");
    }
  }

  State Poll(std::chrono::milliseconds wait) override {
    if (state_ != State::kStarting) return state_;
    std::string hello;
    switch (NextFrame(std::min(Clock::now() + wait, start_deadline_), hello)) {
      case Wait::kFrame:
        // The hello, and nothing after it before the first request.
        if (!protocol::IsHello(hello) || reader_.pending()) return Fail(kGarbage);
        return state_ = State::kReady;
      case Wait::kTimedOut:
        if (Clock::now() >= start_deadline_) return Fail(kNoAnswer);
        return state_;
      case Wait::kEnded:
        return Fail(kEnded);
      case Wait::kGarbage:
        break;
    }
    return Fail(kGarbage);
  }

  std::u16string failure() const override { return failure_; }
  wintools::WindowSystem& windows() override { return windows_; }

 private:
  State Fail(std::u16string_view why) {
    state_ = State::kFailed;
    failure_ = std::u16string(why);
    process_.reset();  // killed and collected
    return state_;
  }

  std::optional<std::string> Exchange(std::string_view request, Deadline deadline) override {
    if (state_ == State::kStarting) Poll(std::chrono::milliseconds(0));
    if (state_ != State::kReady) return std::nullopt;
    // Bytes that came unasked between two requests are no answer to anything.
    if (reader_.pending()) {
      Fail(kGarbage);
      return std::nullopt;
    }
    if (!process_->Write(protocol::Frame(request), deadline)) {
      Fail(process_->Running() ? kNoAnswer : kEnded);
      return std::nullopt;
    }
    std::string reply;
    switch (NextFrame(deadline, reply)) {
      case Wait::kFrame:
        return reply;
      case Wait::kTimedOut:
        Fail(kNoAnswer);
        break;
      case Wait::kEnded:
        Fail(kEnded);
        break;
      case Wait::kGarbage:
        Fail(kGarbage);
        break;
    }
    return std::nullopt;
  }

  enum class Wait { kFrame, kTimedOut, kEnded, kGarbage };
  // Reads the helper's output until a whole frame is there (its body in `body`), the deadline
  // passes, the helper ends, or its bytes are no frame.
  Wait NextFrame(Deadline deadline, std::string& body) {
    for (;;) {
      if (auto next = reader_.Next()) {
        body = std::move(*next);
        return Wait::kFrame;
      }
      if (reader_.broken()) return Wait::kGarbage;
      std::string bytes;
      switch (process_->Read(bytes, deadline)) {
        case ChildProcess::Output::kData:
          reader_.Feed(bytes);
          break;
        case ChildProcess::Output::kEnded:
          return Wait::kEnded;
        case ChildProcess::Output::kTimedOut:
          return Wait::kTimedOut;
      }
    }
  }

  void Garbled() override { Fail(kGarbage); }

  std::u16string Unavailable() const override {
    switch (state_) {
      case State::kStarting:
        return u"The Wine helper is still starting.";
      case State::kFailed:
        return failure_;
      case State::kReady:
        break;
    }
    return {};
  }

  State state_ = State::kStarting;
  std::u16string failure_;
  Deadline start_deadline_;
  std::unique_ptr<ChildProcess> process_;
  protocol::FrameReader reader_;
  protocol::ProtocolWindowSystem windows_;
};

}  // namespace

std::string FindWineHelper() {
  if (const char* chosen = std::getenv("QUILLAN_WINE_HELPER"); chosen != nullptr && *chosen) {
    return Readable(chosen) ? std::string(chosen) : std::string();
  }
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  for (const std::filesystem::path& candidate :
       {program.parent_path() / kWineHelperName,
        program.parent_path().parent_path() / "lib" / "quillan" / kWineHelperName}) {
    if (Readable(candidate.string())) return candidate.string();
  }
  return {};
}

std::unique_ptr<WineWorld> StartWineWorld(const WinePrefix& prefix,
                                          const WineWorldOptions& options) {
  return std::make_unique<HelperWorld>(prefix, options);
}

}  // namespace quillan::platform
