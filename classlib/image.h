// The image control: paints the picture it holds at its top-left corner or
// centred, stretched to fill it or shrunk proportionally to fit; an empty
// picture paints nothing but the parent's colour.
#pragma once

#include "classlib/controls.h"

class TPicture;

class TImage : public TCustomControl {
public:
  explicit TImage(TComponent* owner);
  ~TImage() override;
  const char* ClassName() const override { return "TImage"; }

  // Changes to the picture repaint the control.
  TPicture* Picture() const { return picture_; }
  bool Center() const { return center_; }
  void SetCenter(bool value);
  bool Proportional() const { return proportional_; }
  void SetProportional(bool value);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool value);
  // Where the picture goes in the client area.
  TRect DestRect();

protected:
  void Paint() override;

private:
  void Changed(bool& field, bool value);

  TPicture* picture_;
  bool center_ = false;
  bool proportional_ = false;
  bool stretch_ = false;
};
