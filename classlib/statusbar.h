// The status bar: the system "msctls_statusbar32" with panels side by side
// (each as wide as asked, the last reaching the right edge) or one simple
// text across the bar. The panels keep their texts, so a re-created window
// shows them again. The bar is aligned to the bottom of its parent.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/controls.h"
#include "classlib/ownedlist.h"

class TStatusBar;
class TStatusPanels;

class TStatusPanel : public TPersistent {
public:
  int Index() const;
  const std::string& Text() const { return text_; }
  void SetText(const std::string& value);
  int Width() const { return width_; }
  void SetWidth(int value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);

private:
  friend class TStatusPanels;
  friend class TStatusBar;
  explicit TStatusPanel(TStatusPanels* panels) : panels_(panels) {}
  // Writes the text to the window.
  void Update() const;

  TStatusPanels* panels_;
  std::string text_;
  int width_ = 50;
  TAlignment alignment_ = taLeftJustify;
};

class TStatusPanels : public TPersistent {
public:
  explicit TStatusPanels(TStatusBar* owner) : owner_(owner) {}
  TStatusBar* Owner() const { return owner_; }
  // A new last panel.
  TStatusPanel* Add();
  int Count() const { return panels_.Count(); }
  // The panel at index; EListError outside 0..Count-1.
  TStatusPanel* Items(int index) const { return panels_.At(index); }

private:
  friend class TStatusPanel;
  friend class TStatusBar;
  TStatusBar* owner_;
  TOwnedList<TStatusPanel> panels_;
};

class TStatusBar : public TWinControl {
public:
  explicit TStatusBar(TComponent* owner);
  ~TStatusBar() override;
  const char* ClassName() const override { return "TStatusBar"; }

  TStatusPanels* Panels() const { return panels_.get(); }
  // One text across the bar instead of the panels.
  bool SimplePanel() const { return simplePanel_; }
  void SetSimplePanel(bool value);
  const std::string& SimpleText() const { return simpleText_; }
  void SetSimpleText(const std::string& value);

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;

private:
  friend class TStatusPanel;
  friend class TStatusPanels;
  // Sends the panels' edges (and their texts, with all) to the window.
  void UpdateParts(bool all);

  std::unique_ptr<TStatusPanels> panels_;
  bool simplePanel_ = false;
  std::string simpleText_;
};
