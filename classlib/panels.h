// Containers: the panel (a raised, lowered or flat area with a centred
// caption) and the group box (an etched frame with its caption in the top
// edge). Both paint themselves and lay out their children inside what the
// frame leaves.
#pragma once

#include "classlib/controls.h"

enum TBevelCut { bvNone, bvLowered, bvRaised };

class TPanel : public TCustomControl {
public:
  explicit TPanel(TComponent* owner);
  const char* ClassName() const override { return "TPanel"; }

  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut value);
  void Dispatch(TMessage& message) override;

protected:
  void CreateParams(TCreateParams& params) override;
  void AdjustClientRect(TRect& rect) override;
  void Paint() override;

private:
  TBevelCut bevelOuter_ = bvRaised;
};

class TGroupBox : public TCustomControl {
public:
  explicit TGroupBox(TComponent* owner);
  const char* ClassName() const override { return "TGroupBox"; }
  void Dispatch(TMessage& message) override;

protected:
  void CreateParams(TCreateParams& params) override;
  void AdjustClientRect(TRect& rect) override;
  void Paint() override;
};
