#pragma once

#include <string>
#include <string_view>

#include "wintools/window_system.h"

namespace quillan::wintools {

/// The size of the buffer every read of a window text or class passes: at most 99
/// characters come back.
inline constexpr int kTextBufferSize = 100;

/// `MakeOne`: s without its carriage returns and line feeds; everything else in order.
std::u16string MakeOne(std::u16string_view s);

/// The six fields of API Spy.
struct ApiSpyFields {
  std::u16string handle = u"0";
  std::u16string text;
  std::u16string class_name;
  std::u16string parent_handle = u"0";
  std::u16string parent_text;
  std::u16string parent_class;

  bool operator==(const ApiSpyFields&) const = default;
};

/// API Spy's state: the fields and the last inspected handle, which nothing resets.
class ApiSpy {
 public:
  /// `ApiSpyStuff`: inspects the window under the pointer. When it is the last inspected one
  /// nothing changes and this returns false; otherwise the fields are filled anew.
  bool Inspect(WindowSystem& windows);
  /// The same for `h`, read already as the window under the pointer.
  bool Inspect(WindowSystem& windows, Hwnd h);

  const ApiSpyFields& fields() const { return fields_; }
  Hwnd last_handle() const { return last_; }

 private:
  ApiSpyFields fields_;
  Hwnd last_ = 0;
};

/// The window under the pointer: GetCursorPos, then WindowFromPoint.
Hwnd WindowUnderPointer(WindowSystem& windows);

/// A handle as the tools show it: signed decimal.
std::u16string HandleText(Hwnd hwnd);

}  // namespace quillan::wintools
