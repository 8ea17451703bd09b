// The label: a caption painted in the label's font and colour (bold,
// underlined and coloured for a link, with the hand cursor and OnClick),
// on its parent's colour. With AutoSize it takes the size of its text,
// keeping its right edge when right-justified.
#pragma once

#include "classlib/controls.h"

class TLabel : public TCustomControl {
public:
  explicit TLabel(TComponent* owner);
  const char* ClassName() const override { return "TLabel"; }

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  void Dispatch(TMessage& message) override;

protected:
  void Paint() override;

private:
  UINT TextFormat() const;
  void AdjustBounds();

  TAlignment alignment_ = taLeftJustify;
  bool autoSize_ = true;
  bool pressed_ = false;
};
