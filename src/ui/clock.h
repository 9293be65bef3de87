#pragma once

namespace quillan::ui {

/// A monotonic clock: seconds since some fixed moment, never set back or forward, so that a
/// change of the time of day cannot stretch or cut a wait.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual double MonotonicSeconds() const = 0;
};

/// Lets the user interface process its pending events while a command waits.
class EventPump {
 public:
  virtual ~EventPump() = default;
  virtual void ProcessPendingEvents() = 0;
  /// Shows (true) or takes away (false) the sign that the program is busy: a command waits.
  virtual void ShowBusy(bool busy) = 0;
};

}  // namespace quillan::ui
