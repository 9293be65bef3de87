#pragma once

namespace quillan::ui {

/// Time of day in seconds since midnight, with fractions (it wraps to 0 at midnight).
class Clock {
 public:
  virtual ~Clock() = default;
  virtual double SecondsSinceMidnight() const = 0;
};

/// Lets the user interface process its pending events while a command waits.
class EventPump {
 public:
  virtual ~EventPump() = default;
  virtual void ProcessPendingEvents() = 0;
};

}  // namespace quillan::ui
