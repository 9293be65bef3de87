#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "wintools/window_system.h"

/// The window-system operations carried over a byte stream, so that a helper program running
/// in another world (a Windows program inside a Wine prefix) can answer them for us.
///
/// The stream is a series of frames: a 4-byte little-endian length, then that many bytes of
/// body. The helper's first frame is its hello, naming the protocol and its version. Then
/// each request frame gets exactly one reply frame, which echoes the request's operation and
/// id. All numbers are little-endian; a string is its length in UTF-16 units (4 bytes) and
/// those units. A body is decoded completely or refused: every field is range-checked and a
/// body with bytes left over is refused too, so that nothing a peer sends can make the other
/// side misbehave.
namespace quillan::wintools::protocol {

inline constexpr std::string_view kName = "quillan-window-protocol";
inline constexpr std::uint16_t kVersion = 1;
/// The largest body either side sends or accepts, in bytes.
inline constexpr std::uint32_t kMaxFrame = 4u << 20;
/// The longest string a body carries, in UTF-16 units; longer window texts come back cut.
inline constexpr std::uint32_t kMaxText = (kMaxFrame - 64) / 2;

/// The operations, one for each of WindowSystem's.
enum class Op : std::uint8_t {
  kCannotDo = 1,
  kSetWindowPos,
  kIsWindow,
  kGetWindowRect,
  kGetCursorPos,
  kWindowFromPoint,
  kGetWindowText,
  kGetWindowTextLength,
  kGetClassName,
  kGetParent,
  kFindWindowEx,
  kFindAllWindowsEx,
  kShowWindow,
  kEnableWindow,
  kPostClose,
  kSendGetTextLength,
  kSendGetText,
  kSendSetText,
  kSendUndo,
  kGetScreenPixel,
};
inline constexpr std::uint8_t kFirstOp = 1;
inline constexpr std::uint8_t kLastOp = static_cast<std::uint8_t>(Op::kGetScreenPixel);

/// Whether the operation sends a message to the target window and may wait for its answer.
bool WaitsForTheTarget(Op op);

/// One request: the operation and its arguments; the fields it does not take stay 0 or empty.
struct Request {
  Op op = Op::kIsWindow;
  std::uint32_t id = 0;
  Hwnd hwnd = 0;   ///< the window; FindWindowEx's parent
  Hwnd other = 0;  ///< SetWindowPos's insert_after, FindWindowEx's child_after
  std::int32_t x = 0, y = 0, cx = 0, cy = 0;  ///< the point; SetWindowPos's place and size
  std::uint32_t flags = 0;                    ///< SetWindowPos's flags
  /// max_count of the text reads (0 to kMaxText + 1), ShowWindow's command (kSwHide,
  /// kSwMaximize, kSwShow, kSwMinimize, kSwRestore), the Capability, EnableWindow's 0 or 1.
  std::int32_t number = 0;
  std::u16string text;  ///< the class name searched for, or the text to set
  bool operator==(const Request&) const = default;
};

/// One reply: the result of the request it answers, in the field its operation gives.
struct Reply {
  Op op = Op::kIsWindow;
  std::uint32_t id = 0;
  /// A truth (0 or 1), a handle, a length (never negative) or a colour.
  std::int64_t value = 0;
  ScreenPoint point;
  ScreenRect rect;
  std::u16string text;
  std::vector<Hwnd> handles;
};

std::string EncodeRequest(const Request& request);
/// The request, or nullopt when the body is not one this version knows.
std::optional<Request> DecodeRequest(std::string_view body);
std::string EncodeReply(const Reply& reply);
/// The reply to `asked`, or nullopt when the body is not one: another operation or id, a
/// field out of range, a text longer than the request's buffer could hold.
std::optional<Reply> DecodeReply(std::string_view body, const Request& asked);

/// The helper's first frame.
std::string EncodeHello();
/// Whether the body is a hello of this protocol and version.
bool IsHello(std::string_view body);

/// The frame around a body (at most kMaxFrame bytes).
std::string Frame(std::string_view body);

/// Cuts a byte stream into frame bodies. A length of 0 or above kMaxFrame breaks the stream:
/// whatever follows cannot be trusted to be frames.
class FrameReader {
 public:
  void Feed(std::string_view bytes) { buffer_.append(bytes); }
  /// The next whole body, if one has arrived.
  std::optional<std::string> Next();
  bool broken() const { return broken_; }
  /// Whether bytes of a frame not yet complete are waiting.
  bool pending() const { return !buffer_.empty(); }

 private:
  std::string buffer_;
  bool broken_ = false;
};

/// The helper's side: decodes a request, asks `windows`, encodes the reply. A body that is
/// no request gets a refusal, which no client takes for a reply.
std::string Serve(WindowSystem& windows, std::string_view request_body);

/// The client's way to the helper.
class WindowChannel {
 public:
  using Deadline = std::chrono::steady_clock::time_point;
  virtual ~WindowChannel() = default;
  /// Sends one request body and returns the reply's body; nullopt when the other side is
  /// not ready yet, or did not answer by the deadline, or is gone. A channel that failed
  /// stays failed.
  virtual std::optional<std::string> Exchange(std::string_view request, Deadline deadline) = 0;
  /// Tells the channel that a reply was no answer to its request: the other side is not to be
  /// trusted any more, and the channel fails.
  virtual void Garbled() = 0;
  /// Why requests cannot be carried now, in words for the user; "" while they can.
  virtual std::u16string Unavailable() const = 0;
};

/// How long an answer may take: a query, and a request that waits for the target window
/// (which the Win32 backend itself gives up on after 2 s).
struct Deadlines {
  std::chrono::milliseconds query{500};
  std::chrono::milliseconds message{3000};
};

/// The window-system port over a channel. When the channel fails every query answers 0,
/// empty text or kClrInvalid, as for a handle that names no window, and CannotDo gives the
/// channel's reason.
class ProtocolWindowSystem final : public WindowSystem {
 public:
  explicit ProtocolWindowSystem(WindowChannel& channel, Deadlines deadlines = {})
      : channel_(&channel), deadlines_(deadlines) {}

  std::u16string CannotDo(Capability what) const override;
  bool SetWindowPos(Hwnd hwnd, Hwnd insert_after, int x, int y, int cx, int cy,
                    std::uint32_t flags) override;
  bool IsWindow(Hwnd hwnd) override;
  ScreenRect GetWindowRect(Hwnd hwnd) override;
  ScreenPoint GetCursorPos() override;
  Hwnd WindowFromPoint(ScreenPoint p) override;
  std::u16string GetWindowText(Hwnd hwnd, int max_count) override;
  int GetWindowTextLength(Hwnd hwnd) override;
  std::u16string GetClassName(Hwnd hwnd, int max_count) override;
  Hwnd GetParent(Hwnd hwnd) override;
  Hwnd FindWindowEx(Hwnd parent, Hwnd child_after, std::u16string_view class_name) override;
  std::vector<Hwnd> FindAllWindowsEx(Hwnd parent, std::u16string_view class_name) override;
  bool ShowWindow(Hwnd hwnd, int cmd) override;
  bool EnableWindow(Hwnd hwnd, bool enable) override;
  bool PostClose(Hwnd hwnd) override;
  int SendGetTextLength(Hwnd hwnd) override;
  std::u16string SendGetText(Hwnd hwnd, int max_count) override;
  bool SendSetText(Hwnd hwnd, std::u16string_view text) override;
  bool SendUndo(Hwnd hwnd) override;
  std::uint32_t GetScreenPixel(ScreenPoint p) override;

 private:
  std::optional<Reply> Ask(Request request) const;
  bool AskTruth(Op op, Hwnd hwnd, std::int32_t number = 0);
  std::int64_t AskValue(Op op, Hwnd hwnd);
  std::u16string AskText(Op op, Hwnd hwnd, int max_count);

  WindowChannel* channel_;
  Deadlines deadlines_;
  mutable std::uint32_t next_id_ = 0;
};

}  // namespace quillan::wintools::protocol
