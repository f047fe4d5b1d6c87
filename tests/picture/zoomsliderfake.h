#pragma once

#include "picture/fitzoomhandlers.h"

#include <functional>
#include <stdexcept>

// A zoom slider as the window's: setting a new position runs the change handler at once,
// setting the current one runs nothing. Records what the handler saw.
class TFakeZoomSlider : public TZoomSlider {
public:
  int Position() const override { return FPosition; }
  void SetPosition(int Value) override {
    if (Value == FPosition)
      return;
    FPosition = Value;
    ++ChangeEvents;
    if (!FEnabled)
      ++ChangeEventsWhileDisabled;
    if (ThrowOnSetPosition)
      throw std::runtime_error("slider failed");
    if (OnChange)
      OnChange();
  }
  int Tag() const override { return FTag; }
  void SetTag(int Value) override { FTag = Value; }
  bool Enabled() const override { return FEnabled; }
  void SetEnabled(bool Value) override { FEnabled = Value; }

  // The user or a test moves the thumb: the position changes and the handler runs.
  void Move(int Value) { SetPosition(Value); }
  // The position and the remembered position, without any event.
  void Place(int Value, int TagValue) {
    FPosition = Value;
    FTag = TagValue;
  }

  std::function<void()> OnChange;
  bool ThrowOnSetPosition = false;
  int ChangeEvents = 0;
  int ChangeEventsWhileDisabled = 0;

private:
  int FPosition = 10;
  int FTag = 10;
  bool FEnabled = true;
};
