// The decoders' refusals and the client's behaviour when its channel fails; the round trip of
// every operation is the contract suite's run through the protocol (tests/platform).
#include "wintools/window_protocol.h"

#include <gtest/gtest.h>

#include "platform/fake_window_system.h"

namespace quillan::wintools::protocol {
namespace {

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

Request Ask(Op op, Hwnd hwnd = 0, std::int32_t number = 0, std::u16string text = {}) {
  Request r;
  r.op = op;
  r.id = 7;
  r.hwnd = hwnd;
  r.number = number;
  r.text = std::move(text);
  return r;
}

TEST(WindowProtocol, RefusesWhatIsNotARequestOrItsReply) {
  const std::string find = EncodeRequest(Ask(Op::kFindWindowEx, 5, 0, u"Edit"));
  ASSERT_EQ(DecodeRequest(find), Ask(Op::kFindWindowEx, 5, 0, u"Edit"));
  std::string claims_more = find;
  claims_more[13] = 5;  // the class name's length: 5 units, where 4 follow
  std::string enable_two = EncodeRequest(Ask(Op::kEnableWindow, 5, 1));
  enable_two.back() = 2;
  std::string too_long_text = find;
  too_long_text.replace(13, 4, Bytes({0xFF, 0xFF, 0xFF, 0x7F}));
  const struct {
    const char* what;
    std::string body;
  } requests[] = {
      {"empty", ""},
      {"cut short", find.substr(0, find.size() - 1)},
      {"too long", find + "x"},
      {"no operation", Bytes({0, 7, 0, 0, 0})},
      {"an operation after the last", Bytes({kLastOp + 1, 7, 0, 0, 0})},
      {"a string longer than its body", claims_more},
      {"a string longer than any frame", too_long_text},
      {"a show command the tools never give", EncodeRequest(Ask(Op::kShowWindow, 5, 4))},
      {"a truth that is neither 0 nor 1", enable_two},
      {"an unknown capability", EncodeRequest(Ask(Op::kCannotDo, 0, 7))},
      {"a negative buffer", EncodeRequest(Ask(Op::kGetClassName, 5, -1))},
      {"a buffer larger than a frame",
       EncodeRequest(Ask(Op::kGetClassName, 5, static_cast<std::int32_t>(kMaxText + 2)))},
  };
  for (const auto& c : requests) {
    EXPECT_EQ(DecodeRequest(c.body), std::nullopt) << c.what;
  }
  platform::FakeWindowSystem fake;
  const Request read = Ask(Op::kGetClassName, 5, 4);
  const auto reply = [&read](std::u16string text, std::uint32_t id = 7, Op op = Op::kGetClassName) {
    Reply r;
    r.op = op;
    r.id = id;
    r.text = std::move(text);
    return EncodeReply(r);
  };
  ASSERT_EQ(DecodeReply(reply(u"Not"), read)->text, u"Not");
  Reply negative;
  negative.op = Op::kGetWindowTextLength;
  negative.id = 7;
  negative.value = -1;
  Reply many;
  many.op = Op::kFindAllWindowsEx;
  many.id = 7;
  many.handles = {1, 2};
  std::string claims_many = EncodeReply(many);
  claims_many.replace(5, 4, Bytes({0x00, 0x00, 0x00, 0x10}));
  const struct {
    const char* what;
    std::string body;
    Request asked;
  } replies[] = {
      {"another id", reply(u"Not", 8), read},
      {"another operation", reply(u"Not", 7, Op::kGetWindowText), read},
      {"more text than the buffer holds", reply(u"Note"), read},
      {"the helper's refusal", Serve(fake, "x"), read},
      {"a negative length", EncodeReply(negative), Ask(Op::kGetWindowTextLength, 5)},
      {"more handles than the body holds", claims_many, Ask(Op::kFindAllWindowsEx, 5)},
  };
  for (const auto& c : replies) {
    EXPECT_EQ(DecodeReply(c.body, c.asked), std::nullopt) << c.what;
  }

  // The hello names this protocol and version, nothing else.
  EXPECT_TRUE(IsHello(EncodeHello()));
  std::string other_version = EncodeHello();
  other_version.back() = 1;
  EXPECT_FALSE(IsHello(other_version));
  EXPECT_FALSE(IsHello(EncodeHello() + "x"));
  EXPECT_FALSE(IsHello("quillan-window-protocel" + EncodeHello().substr(kName.size())));
}

TEST(WindowProtocol, FramesArriveInPiecesAndBadLengthsBreakTheStream) {
  FrameReader reader;
  const std::string two = Frame("abc") + Frame("de");
  reader.Feed(two.substr(0, 5));
  EXPECT_EQ(reader.Next(), std::nullopt);
  reader.Feed(two.substr(5));
  EXPECT_EQ(reader.Next(), "abc");
  EXPECT_EQ(reader.Next(), "de");
  EXPECT_FALSE(reader.pending());
  for (const std::string& bad : {Bytes({0, 0, 0, 0}), Bytes({1, 0, 0x40, 0})}) {
    FrameReader broken;
    broken.Feed(bad + "abc");
    EXPECT_EQ(broken.Next(), std::nullopt);
    EXPECT_TRUE(broken.broken());
  }
}

// A channel that answers every request with the same bytes, or fails.
class CannedChannel final : public WindowChannel {
 public:
  std::optional<std::string> answer;
  int garbled = 0;
  std::optional<std::string> Exchange(std::string_view, Deadline) override { return answer; }
  void Garbled() override { ++garbled; }
  std::u16string Unavailable() const override { return u"The helper is gone."; }
};

TEST(WindowProtocol, AFailedChannelAnswersAsForAHandleThatNamesNoWindow) {
  CannedChannel channel;
  ProtocolWindowSystem ws(channel);
  for (const std::optional<std::string>& answer :
       {std::optional<std::string>(), std::optional<std::string>("garbage")}) {
    channel.answer = answer;
    EXPECT_EQ(ws.CannotDo(Capability::kReadWindows), u"The helper is gone.");
    EXPECT_FALSE(ws.IsWindow(5));
    EXPECT_EQ(ws.WindowFromPoint({1, 1}), 0);
    EXPECT_EQ(ws.GetCursorPos().x, 0);
    EXPECT_TRUE(ws.GetWindowRect(5).empty());
    EXPECT_EQ(ws.GetClassName(5, 100), u"");
    EXPECT_EQ(ws.GetWindowTextLength(5), 0);
    EXPECT_EQ(ws.FindWindowEx(0, 0, u"Edit"), 0);
    EXPECT_TRUE(ws.FindAllWindowsEx(0, u"Edit").empty());
    EXPECT_FALSE(ws.ShowWindow(5, kSwShow));
    EXPECT_FALSE(ws.SendSetText(5, u"x"));
    EXPECT_EQ(ws.GetScreenPixel({1, 1}), kClrInvalid);
  }
  // Each garbled reply was reported, so that the channel gives up on its peer.
  EXPECT_EQ(channel.garbled, 12);
}

}  // namespace
}  // namespace quillan::wintools::protocol
