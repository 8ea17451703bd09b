// The cool bar: the system "ReBarWindow32" holding controls in bands (the
// main window's tool bars). A band names its control, which becomes a child
// of the cool bar; the bands outlive the window and are inserted again when
// it is re-created. The cool bar is aligned to the top of its parent and is
// as tall as its shown bands.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "classlib/controls.h"
#include "classlib/ownedlist.h"

class TCoolBands;
class TCoolBar;

class TCoolBand : public TPersistent {
public:
  int Index() const;
  TWinControl* Control() const { return control_; }
  // The control is moved onto the cool bar.
  void SetControl(TWinControl* value);
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  // The band starts a new row.
  bool Break() const { return break_; }
  void SetBreak(bool value);
  // The band's height; 0 takes the control's height.
  int MinHeight() const { return minHeight_; }
  void SetMinHeight(int value);

private:
  friend class TCoolBands;
  friend class TCoolBar;
  TCoolBand(TCoolBands* bands, UINT id) : bands_(bands), id_(id) {}
  // Writes the band to the window (insert: a new band there).
  void Update(bool insert);

  TCoolBands* bands_;
  UINT id_;
  TWinControl* control_ = nullptr;
  bool visible_ = true;
  bool break_ = true;
  int minHeight_ = 0;
};

class TCoolBands : public TPersistent {
public:
  explicit TCoolBands(TCoolBar* owner) : owner_(owner) {}
  TCoolBar* Owner() const { return owner_; }
  // A new last band.
  TCoolBand* Add();
  int Count() const { return bands_.Count(); }
  // The band at index (in the order they were added); EListError outside.
  TCoolBand* Items(int index) const { return bands_.At(index); }

private:
  friend class TCoolBand;
  friend class TCoolBar;
  TCoolBar* owner_;
  TOwnedList<TCoolBand> bands_;
  UINT nextId_ = 1;
};

class TCoolBar : public TWinControl {
public:
  explicit TCoolBar(TComponent* owner);
  ~TCoolBar() override;
  const char* ClassName() const override { return "TCoolBar"; }

  TCoolBands* Bands() const { return bands_.get(); }
  // A band's control changed its height: the band follows.
  void ControlResized(TWinControl* control);

  void Dispatch(TMessage& message) override;

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Notification(TComponent* component, TOperation operation) override;

private:
  friend class TCoolBand;
  // Takes the window's height for the bands shown.
  void AdjustHeight();

  std::unique_ptr<TCoolBands> bands_;
};
