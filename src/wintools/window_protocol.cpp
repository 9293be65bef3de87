#include "wintools/window_protocol.h"

#include <algorithm>

namespace quillan::wintools::protocol {

namespace {

// What follows the operation and the id in a request.
enum class Args {
  kNone,         // GetCursorPos
  kCapability,   // u8 capability
  kHandle,       // i32 hwnd
  kPlace,        // i32 hwnd, i32 insert_after, i32 x, y, cx, cy, u32 flags
  kPoint,        // i32 x, i32 y
  kHandleCount,  // i32 hwnd, i32 max_count (0 .. kMaxText + 1)
  kFind,         // i32 parent, i32 child_after, string class
  kFindAll,      // i32 parent, string class
  kShow,         // i32 hwnd, u8 command (one of the five the tools pass)
  kEnable,       // i32 hwnd, u8 0 or 1
  kHandleText,   // i32 hwnd, string
};

// What follows the operation and the id in a reply.
enum class Result {
  kReason,       // string
  kTruth,        // u8 0 or 1
  kRect,         // i32 left, top, right, bottom
  kPoint,        // i32 x, y
  kHandle,       // i32
  kBoundedText,  // string of at most max_count - 1 units
  kLength,       // i32, not negative
  kHandles,      // u32 count (at most WindowSystem::kMaxFound), count i32
  kColor,        // u32
};

struct Layout {
  Args args;
  Result result;
};

Layout LayoutOf(Op op) {
  switch (op) {
    case Op::kCannotDo:
      return {Args::kCapability, Result::kReason};
    case Op::kSetWindowPos:
      return {Args::kPlace, Result::kTruth};
    case Op::kIsWindow:
      return {Args::kHandle, Result::kTruth};
    case Op::kGetWindowRect:
      return {Args::kHandle, Result::kRect};
    case Op::kGetCursorPos:
      return {Args::kNone, Result::kPoint};
    case Op::kWindowFromPoint:
      return {Args::kPoint, Result::kHandle};
    case Op::kGetWindowText:
      return {Args::kHandleCount, Result::kBoundedText};
    case Op::kGetWindowTextLength:
      return {Args::kHandle, Result::kLength};
    case Op::kGetClassName:
      return {Args::kHandleCount, Result::kBoundedText};
    case Op::kGetParent:
      return {Args::kHandle, Result::kHandle};
    case Op::kFindWindowEx:
      return {Args::kFind, Result::kHandle};
    case Op::kFindAllWindowsEx:
      return {Args::kFindAll, Result::kHandles};
    case Op::kShowWindow:
      return {Args::kShow, Result::kTruth};
    case Op::kEnableWindow:
      return {Args::kEnable, Result::kTruth};
    case Op::kPostClose:
      return {Args::kHandle, Result::kTruth};
    case Op::kSendGetTextLength:
      return {Args::kHandle, Result::kLength};
    case Op::kSendGetText:
      return {Args::kHandleCount, Result::kBoundedText};
    case Op::kSendSetText:
      return {Args::kHandleText, Result::kTruth};
    case Op::kSendUndo:
      return {Args::kHandle, Result::kTruth};
    case Op::kGetScreenPixel:
      return {Args::kPoint, Result::kColor};
  }
  return {Args::kNone, Result::kTruth};
}

bool KnownOp(std::uint8_t op) { return op >= kFirstOp && op <= kLastOp; }

bool KnownShowCommand(std::int32_t cmd) {
  return cmd == kSwHide || cmd == kSwMaximize || cmd == kSwShow || cmd == kSwMinimize ||
         cmd == kSwRestore;
}

// The answer to a body that is no request: an operation no reply has, so that no client
// mistakes it for an answer.
constexpr std::uint8_t kRefused = 0;

class Writer {
 public:
  void U8(std::uint8_t v) { out_.push_back(static_cast<char>(v)); }
  void U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) U8(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
  void Text(std::u16string_view s) {
    U32(static_cast<std::uint32_t>(s.size()));
    for (char16_t c : s) {
      U8(static_cast<std::uint8_t>(c & 0xFF));
      U8(static_cast<std::uint8_t>(c >> 8));
    }
  }
  std::string Take() { return std::move(out_); }

 private:
  std::string out_;
};

// Reads fields off a body; any read past its end, or a value out of range, spoils the whole.
class Reader {
 public:
  explicit Reader(std::string_view in) : in_(in) {}
  std::uint8_t U8() {
    if (!ok_ || pos_ >= in_.size()) return Spoil();
    return static_cast<std::uint8_t>(in_[pos_++]);
  }
  std::uint32_t U32() {
    if (!ok_ || in_.size() - pos_ < 4) return Spoil();
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
      v |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(in_[pos_++])) << (8 * i);
    }
    return v;
  }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  bool Truth() {
    const std::uint8_t v = U8();
    Require(v <= 1);
    return v == 1;
  }
  std::u16string Text(std::uint32_t max_units) {
    const std::uint32_t n = U32();
    if (!ok_ || n > max_units || (in_.size() - pos_) / 2 < n) {
      Spoil();
      return {};
    }
    std::u16string s(n, u'\0');
    for (char16_t& c : s) {
      c = static_cast<char16_t>(static_cast<std::uint8_t>(in_[pos_]) |
                                static_cast<std::uint8_t>(in_[pos_ + 1]) << 8);
      pos_ += 2;
    }
    return s;
  }
  void Require(bool condition) {
    if (!condition) Spoil();
  }
  bool ok() const { return ok_; }
  // Whether everything read was in range and nothing is left over.
  bool Done() const { return ok_ && pos_ == in_.size(); }

 private:
  std::uint8_t Spoil() {
    ok_ = false;
    return 0;
  }
  std::string_view in_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

std::uint8_t OpByte(Op op) { return static_cast<std::uint8_t>(op); }

// The most units a text read with this buffer size may give.
std::size_t TextRoom(std::int32_t max_count) {
  return max_count <= 0 ? 0 : static_cast<std::size_t>(max_count - 1);
}

}  // namespace

bool WaitsForTheTarget(Op op) {
  // SetWindowPos and EnableWindow send messages to the window's thread and wait for them.
  switch (op) {
    case Op::kSetWindowPos:
    case Op::kEnableWindow:
    case Op::kSendGetTextLength:
    case Op::kSendGetText:
    case Op::kSendSetText:
    case Op::kSendUndo:
      return true;
    default:
      return false;
  }
}

std::string EncodeRequest(const Request& r) {
  Writer w;
  w.U8(OpByte(r.op));
  w.U32(r.id);
  switch (LayoutOf(r.op).args) {
    case Args::kNone:
      break;
    case Args::kCapability:
      w.U8(static_cast<std::uint8_t>(r.number));
      break;
    case Args::kHandle:
      w.I32(r.hwnd);
      break;
    case Args::kPlace:
      w.I32(r.hwnd);
      w.I32(r.other);
      w.I32(r.x);
      w.I32(r.y);
      w.I32(r.cx);
      w.I32(r.cy);
      w.U32(r.flags);
      break;
    case Args::kPoint:
      w.I32(r.x);
      w.I32(r.y);
      break;
    case Args::kHandleCount:
      w.I32(r.hwnd);
      w.I32(r.number);
      break;
    case Args::kFind:
      w.I32(r.hwnd);
      w.I32(r.other);
      w.Text(r.text);
      break;
    case Args::kFindAll:
      w.I32(r.hwnd);
      w.Text(r.text);
      break;
    case Args::kShow:
    case Args::kEnable:
      w.I32(r.hwnd);
      w.U8(static_cast<std::uint8_t>(r.number));
      break;
    case Args::kHandleText:
      w.I32(r.hwnd);
      w.Text(r.text);
      break;
  }
  return w.Take();
}

std::optional<Request> DecodeRequest(std::string_view body) {
  Reader in(body);
  const std::uint8_t op = in.U8();
  if (!KnownOp(op)) return std::nullopt;
  Request r;
  r.op = static_cast<Op>(op);
  r.id = in.U32();
  switch (LayoutOf(r.op).args) {
    case Args::kNone:
      break;
    case Args::kCapability:
      r.number = in.U8();
      in.Require(r.number <= static_cast<std::int32_t>(Capability::kReadScreen));
      break;
    case Args::kHandle:
      r.hwnd = in.I32();
      break;
    case Args::kPlace:
      r.hwnd = in.I32();
      r.other = in.I32();
      r.x = in.I32();
      r.y = in.I32();
      r.cx = in.I32();
      r.cy = in.I32();
      r.flags = in.U32();
      break;
    case Args::kPoint:
      r.x = in.I32();
      r.y = in.I32();
      break;
    case Args::kHandleCount:
      r.hwnd = in.I32();
      r.number = in.I32();
      in.Require(r.number >= 0 && static_cast<std::uint32_t>(r.number) <= kMaxText + 1);
      break;
    case Args::kFind:
      r.hwnd = in.I32();
      r.other = in.I32();
      r.text = in.Text(kMaxText);
      break;
    case Args::kFindAll:
      r.hwnd = in.I32();
      r.text = in.Text(kMaxText);
      break;
    case Args::kShow:
      r.hwnd = in.I32();
      r.number = in.U8();
      in.Require(KnownShowCommand(r.number));
      break;
    case Args::kEnable:
      r.hwnd = in.I32();
      r.number = in.Truth() ? 1 : 0;
      break;
    case Args::kHandleText:
      r.hwnd = in.I32();
      r.text = in.Text(kMaxText);
      break;
  }
  if (!in.Done()) return std::nullopt;
  return r;
}

std::string EncodeReply(const Reply& r) {
  Writer w;
  w.U8(OpByte(r.op));
  w.U32(r.id);
  switch (LayoutOf(r.op).result) {
    case Result::kReason:
    case Result::kBoundedText:
      w.Text(r.text);
      break;
    case Result::kTruth:
      w.U8(r.value != 0 ? 1 : 0);
      break;
    case Result::kRect:
      w.I32(r.rect.left);
      w.I32(r.rect.top);
      w.I32(r.rect.right);
      w.I32(r.rect.bottom);
      break;
    case Result::kPoint:
      w.I32(r.point.x);
      w.I32(r.point.y);
      break;
    case Result::kHandle:
    case Result::kLength:
      w.I32(static_cast<std::int32_t>(r.value));
      break;
    case Result::kHandles:
      w.U32(static_cast<std::uint32_t>(r.handles.size()));
      for (Hwnd h : r.handles) w.I32(h);
      break;
    case Result::kColor:
      w.U32(static_cast<std::uint32_t>(r.value));
      break;
  }
  return w.Take();
}

std::optional<Reply> DecodeReply(std::string_view body, const Request& asked) {
  Reader in(body);
  Reply r;
  r.op = asked.op;
  if (in.U8() != OpByte(asked.op)) return std::nullopt;
  r.id = in.U32();
  in.Require(r.id == asked.id);
  switch (LayoutOf(asked.op).result) {
    case Result::kReason:
      r.text = in.Text(kMaxText);
      break;
    case Result::kTruth:
      r.value = in.Truth() ? 1 : 0;
      break;
    case Result::kRect:
      r.rect.left = in.I32();
      r.rect.top = in.I32();
      r.rect.right = in.I32();
      r.rect.bottom = in.I32();
      break;
    case Result::kPoint:
      r.point.x = in.I32();
      r.point.y = in.I32();
      break;
    case Result::kHandle:
      r.value = in.I32();
      break;
    case Result::kBoundedText:
      r.text = in.Text(static_cast<std::uint32_t>(TextRoom(asked.number)));
      break;
    case Result::kLength:
      r.value = in.I32();
      in.Require(r.value >= 0);
      break;
    case Result::kHandles: {
      // The count is checked against what the body can hold before anything is reserved.
      const std::uint32_t n = in.U32();
      in.Require(n <= WindowSystem::kMaxFound && n <= body.size() / 4);
      if (in.ok()) {
        r.handles.resize(n);
        for (Hwnd& h : r.handles) h = in.I32();
      }
      break;
    }
    case Result::kColor:
      r.value = in.U32();
      break;
  }
  if (!in.Done()) return std::nullopt;
  return r;
}

std::string EncodeHello() {
  Writer w;
  for (char c : kName) w.U8(static_cast<std::uint8_t>(c));
  w.U8(static_cast<std::uint8_t>(kVersion & 0xFF));
  w.U8(static_cast<std::uint8_t>(kVersion >> 8));
  return w.Take();
}

bool IsHello(std::string_view body) { return body == EncodeHello(); }

std::string Frame(std::string_view body) {
  Writer w;
  w.U32(static_cast<std::uint32_t>(body.size()));
  std::string frame = w.Take();
  frame.append(body);
  return frame;
}

std::optional<std::string> FrameReader::Next() {
  if (broken_ || buffer_.size() < 4) return std::nullopt;
  Reader in(std::string_view(buffer_).substr(0, 4));
  const std::uint32_t length = in.U32();
  if (length == 0 || length > kMaxFrame) {
    broken_ = true;
    return std::nullopt;
  }
  if (buffer_.size() - 4 < length) return std::nullopt;
  std::string body = buffer_.substr(4, length);
  buffer_.erase(0, 4 + static_cast<std::size_t>(length));
  return body;
}

std::string Serve(WindowSystem& ws, std::string_view body) {
  const std::optional<Request> request = DecodeRequest(body);
  if (!request) {
    Writer w;
    w.U8(kRefused);
    return w.Take();
  }
  const Request& q = *request;
  Reply a;
  a.op = q.op;
  a.id = q.id;
  // What a backend answers is kept within what the reply may carry, so that a backend that
  // gives more than the caller's buffer holds is cut, not turned into a refused reply.
  auto bounded = [&q](std::u16string text) {
    if (text.size() > TextRoom(q.number)) text.resize(TextRoom(q.number));
    return text;
  };
  switch (q.op) {
    case Op::kCannotDo:
      a.text = ws.CannotDo(static_cast<Capability>(q.number));
      if (a.text.size() > kMaxText) a.text.resize(kMaxText);
      break;
    case Op::kSetWindowPos:
      a.value = ws.SetWindowPos(q.hwnd, q.other, q.x, q.y, q.cx, q.cy, q.flags);
      break;
    case Op::kIsWindow:
      a.value = ws.IsWindow(q.hwnd);
      break;
    case Op::kGetWindowRect:
      a.rect = ws.GetWindowRect(q.hwnd);
      break;
    case Op::kGetCursorPos:
      a.point = ws.GetCursorPos();
      break;
    case Op::kWindowFromPoint:
      a.value = ws.WindowFromPoint({q.x, q.y});
      break;
    case Op::kGetWindowText:
      a.text = bounded(ws.GetWindowText(q.hwnd, q.number));
      break;
    case Op::kGetWindowTextLength:
      a.value = std::max(0, ws.GetWindowTextLength(q.hwnd));
      break;
    case Op::kGetClassName:
      a.text = bounded(ws.GetClassName(q.hwnd, q.number));
      break;
    case Op::kGetParent:
      a.value = ws.GetParent(q.hwnd);
      break;
    case Op::kFindWindowEx:
      a.value = ws.FindWindowEx(q.hwnd, q.other, q.text);
      break;
    case Op::kFindAllWindowsEx:
      a.handles = ws.FindAllWindowsEx(q.hwnd, q.text);
      if (a.handles.size() > WindowSystem::kMaxFound) a.handles.resize(WindowSystem::kMaxFound);
      break;
    case Op::kShowWindow:
      a.value = ws.ShowWindow(q.hwnd, q.number);
      break;
    case Op::kEnableWindow:
      a.value = ws.EnableWindow(q.hwnd, q.number != 0);
      break;
    case Op::kPostClose:
      a.value = ws.PostClose(q.hwnd);
      break;
    case Op::kSendGetTextLength:
      a.value = std::max(0, ws.SendGetTextLength(q.hwnd));
      break;
    case Op::kSendGetText:
      a.text = bounded(ws.SendGetText(q.hwnd, q.number));
      break;
    case Op::kSendSetText:
      a.value = ws.SendSetText(q.hwnd, q.text);
      break;
    case Op::kSendUndo:
      a.value = ws.SendUndo(q.hwnd);
      break;
    case Op::kGetScreenPixel:
      a.value = ws.GetScreenPixel({q.x, q.y});
      break;
  }
  return EncodeReply(a);
}

// ---- The client ----

std::optional<Reply> ProtocolWindowSystem::Ask(Request request) const {
  request.id = ++next_id_;
  const auto wait = WaitsForTheTarget(request.op) ? deadlines_.message : deadlines_.query;
  const std::optional<std::string> answer =
      channel_->Exchange(EncodeRequest(request), std::chrono::steady_clock::now() + wait);
  if (!answer) return std::nullopt;
  std::optional<Reply> reply = DecodeReply(*answer, request);
  if (!reply) channel_->Garbled();
  return reply;
}

bool ProtocolWindowSystem::AskTruth(Op op, Hwnd hwnd, std::int32_t number) {
  Request r;
  r.op = op;
  r.hwnd = hwnd;
  r.number = number;
  const auto reply = Ask(r);
  return reply && reply->value != 0;
}

std::int64_t ProtocolWindowSystem::AskValue(Op op, Hwnd hwnd) {
  Request r;
  r.op = op;
  r.hwnd = hwnd;
  const auto reply = Ask(r);
  return reply ? reply->value : 0;
}

std::u16string ProtocolWindowSystem::AskText(Op op, Hwnd hwnd, int max_count) {
  if (max_count <= 1) return {};
  Request r;
  r.op = op;
  r.hwnd = hwnd;
  // A buffer larger than a frame can fill gives what a frame can carry.
  r.number =
      static_cast<std::int32_t>(std::min(static_cast<std::uint32_t>(max_count), kMaxText + 1));
  auto reply = Ask(r);
  return reply ? std::move(reply->text) : std::u16string();
}

std::u16string ProtocolWindowSystem::CannotDo(Capability what) const {
  Request r;
  r.op = Op::kCannotDo;
  r.number = static_cast<std::int32_t>(what);
  if (auto reply = Ask(r)) return std::move(reply->text);
  std::u16string why = channel_->Unavailable();
  return why.empty() ? u"The Windows programs' windows cannot be reached." : why;
}

bool ProtocolWindowSystem::SetWindowPos(Hwnd hwnd, Hwnd insert_after, int x, int y, int cx, int cy,
                                        std::uint32_t flags) {
  Request r;
  r.op = Op::kSetWindowPos;
  r.hwnd = hwnd;
  r.other = insert_after;
  r.x = x;
  r.y = y;
  r.cx = cx;
  r.cy = cy;
  r.flags = flags;
  const auto reply = Ask(r);
  return reply && reply->value != 0;
}

bool ProtocolWindowSystem::IsWindow(Hwnd hwnd) { return AskTruth(Op::kIsWindow, hwnd); }

ScreenRect ProtocolWindowSystem::GetWindowRect(Hwnd hwnd) {
  Request r;
  r.op = Op::kGetWindowRect;
  r.hwnd = hwnd;
  const auto reply = Ask(r);
  return reply ? reply->rect : ScreenRect{};
}

ScreenPoint ProtocolWindowSystem::GetCursorPos() {
  Request r;
  r.op = Op::kGetCursorPos;
  const auto reply = Ask(r);
  return reply ? reply->point : ScreenPoint{};
}

Hwnd ProtocolWindowSystem::WindowFromPoint(ScreenPoint p) {
  Request r;
  r.op = Op::kWindowFromPoint;
  r.x = p.x;
  r.y = p.y;
  const auto reply = Ask(r);
  return reply ? static_cast<Hwnd>(reply->value) : 0;
}

std::u16string ProtocolWindowSystem::GetWindowText(Hwnd hwnd, int max_count) {
  return AskText(Op::kGetWindowText, hwnd, max_count);
}

int ProtocolWindowSystem::GetWindowTextLength(Hwnd hwnd) {
  return static_cast<int>(AskValue(Op::kGetWindowTextLength, hwnd));
}

std::u16string ProtocolWindowSystem::GetClassName(Hwnd hwnd, int max_count) {
  return AskText(Op::kGetClassName, hwnd, max_count);
}

Hwnd ProtocolWindowSystem::GetParent(Hwnd hwnd) {
  return static_cast<Hwnd>(AskValue(Op::kGetParent, hwnd));
}

Hwnd ProtocolWindowSystem::FindWindowEx(Hwnd parent, Hwnd child_after,
                                        std::u16string_view class_name) {
  if (class_name.size() > kMaxText) return 0;
  Request r;
  r.op = Op::kFindWindowEx;
  r.hwnd = parent;
  r.other = child_after;
  r.text = class_name;
  const auto reply = Ask(r);
  return reply ? static_cast<Hwnd>(reply->value) : 0;
}

std::vector<Hwnd> ProtocolWindowSystem::FindAllWindowsEx(Hwnd parent,
                                                         std::u16string_view class_name) {
  if (class_name.size() > kMaxText) return {};
  Request r;
  r.op = Op::kFindAllWindowsEx;
  r.hwnd = parent;
  r.text = class_name;
  auto reply = Ask(r);
  return reply ? std::move(reply->handles) : std::vector<Hwnd>{};
}

bool ProtocolWindowSystem::ShowWindow(Hwnd hwnd, int cmd) {
  // The helper carries out only the commands the tools give.
  if (!KnownShowCommand(cmd)) return false;
  return AskTruth(Op::kShowWindow, hwnd, cmd);
}

bool ProtocolWindowSystem::EnableWindow(Hwnd hwnd, bool enable) {
  return AskTruth(Op::kEnableWindow, hwnd, enable ? 1 : 0);
}

bool ProtocolWindowSystem::PostClose(Hwnd hwnd) { return AskTruth(Op::kPostClose, hwnd); }

int ProtocolWindowSystem::SendGetTextLength(Hwnd hwnd) {
  return static_cast<int>(AskValue(Op::kSendGetTextLength, hwnd));
}

std::u16string ProtocolWindowSystem::SendGetText(Hwnd hwnd, int max_count) {
  return AskText(Op::kSendGetText, hwnd, max_count);
}

bool ProtocolWindowSystem::SendSetText(Hwnd hwnd, std::u16string_view text) {
  // A text too long for one frame is refused whole rather than set cut.
  if (text.size() > kMaxText) return false;
  Request r;
  r.op = Op::kSendSetText;
  r.hwnd = hwnd;
  r.text = text;
  const auto reply = Ask(r);
  return reply && reply->value != 0;
}

bool ProtocolWindowSystem::SendUndo(Hwnd hwnd) { return AskTruth(Op::kSendUndo, hwnd); }

std::uint32_t ProtocolWindowSystem::GetScreenPixel(ScreenPoint p) {
  Request r;
  r.op = Op::kGetScreenPixel;
  r.x = p.x;
  r.y = p.y;
  const auto reply = Ask(r);
  return reply ? static_cast<std::uint32_t>(reply->value) : kClrInvalid;
}

}  // namespace quillan::wintools::protocol
