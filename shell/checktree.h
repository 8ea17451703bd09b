// The tree view whose nodes carry a check box, drawn as the node's state
// image: 1 unchecked, 2 checked, 3 grayed. A click or double-click on the
// box, or the space key, toggles the node (ToggleState) and tells
// OnStateClick; states set any other way tell nobody.
#pragma once

#include <functional>
#include <optional>

#include "classlib/treeview.h"

class TBitmap;
class TImageList;

enum TCheckState { csNone, csUnchecked, csChecked, csGrayed };
// Carries only the node's new state.
using TStateClickEvent = std::function<void(TCheckState CheckState)>;

// The program's bitmap resource of the four check images.
extern const char kCheckStatesBitmap[];

class TCheckTree : public TCustomTreeView {
public:
  explicit TCheckTree(TComponent* owner);
  ~TCheckTree() override;
  const char* ClassName() const override { return "TCheckTree"; }

  // Four 16x16 images side by side: blank (never shown), an empty box, a
  // box with a black check, a box with a light grey check.
  TBitmap* CheckBitmap() const { return checkBitmap_; }
  // Copies value, or loads the resource again when value is nil; the check
  // images are then cut from it.
  void SetCheckBitmap(TBitmap* value);
  // Off hides the boxes; the nodes keep their states.
  bool CheckBoxes() const { return checkBoxes_; }
  void SetCheckBoxes(bool value);
  // Whether a toggle passes through grayed (checked -> grayed -> unchecked).
  bool ThreeState() const { return threeState_; }
  void SetThreeState(bool value) { threeState_ = value; }

  // The state of the node at an absolute index; csNone for no such node or
  // a node without a state image.
  TCheckState GetCheckState(int index);
  // Sets it (csNone removes the box); no event, nothing else changes.
  void SetCheckState(int index, TCheckState state);
  // The next state of node (see ThreeState), then OnStateClick.
  virtual void ToggleState(TTreeNode* node);

  TStateClickEvent OnStateClick;

  void Dispatch(TMessage& message) override;

  static TCheckState NodeCheckState(const TTreeNode* node);
  static void SetNodeCheckState(TTreeNode* node, TCheckState state);

protected:
  void CNNotify(TMessage& message) override;

private:
  void CheckBitmapChanged(TObject* sender);

  TBitmap* checkBitmap_ = nullptr;
  TImageList* stateImageList_ = nullptr;
  bool checkBoxes_ = true;
  bool threeState_ = false;
  // Where the left button went down, while the window handles that press.
  std::optional<POINT> pressedAt_;
};
