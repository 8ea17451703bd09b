#include <gtest/gtest.h>

#include <windows.h>

#include "classlib/buttons.h"
#include "classlib/edits.h"
#include "classlib/panels.h"
#include "classlib/splitter.h"
#include "window_fixture_win.h"

namespace {

// The shape of the main window: a top bar, a left pane holding its own
// aligned parts, a splitter, a client pane with a bottom preview under a
// second splitter.
class LayoutTest : public WindowTest {
protected:
  void SetUp() override {
    WindowTest::SetUp();
    form->DisableAlign();
    form->SetBounds(20, 20, 500, 400);
    form->SetClientWidth(400);
    form->SetClientHeight(300);
    top = Panel(form.get(), alTop, 0, 30);
    left = Panel(form.get(), alLeft, 100, 0);
    leftTop = Panel(left, alTop, 0, 40);
    leftRest = Panel(left, alClient, 0, 0);
    splitter = new TSplitter(form.get());
    splitter->SetParent(form.get());
    splitter->SetWidth(4);
    client = Panel(form.get(), alClient, 0, 0);
    view = Panel(client, alBottom, 0, 80);
    viewSplitter = new TSplitter(client);
    viewSplitter->SetParent(client);
    viewSplitter->SetAlign(alBottom);
    viewSplitter->SetHeight(4);
    list = Panel(client, alClient, 0, 0);
    form->EnableAlign();
  }
  TPanel* Panel(TWinControl* parent, TAlign align, int width, int height) {
    auto* p = new TPanel(form.get());
    p->SetParent(parent);
    p->SetBounds(0, 0, width, height);
    p->SetAlign(align);
    return p;
  }
  // Drags a splitter by dx or dy with the left button, in two moves, each
  // relative to where the splitter is by then.
  void Drag(TSplitter* s, int dx, int dy) {
    SendMouse(s->Handle(), WM_LBUTTONDOWN, 1, 1);
    SendMouse(s->Handle(), WM_MOUSEMOVE, 1 + dx / 2, 1 + dy / 2);
    SendMouse(s->Handle(), WM_LBUTTONUP, 1 + dx - dx / 2, 1 + dy - dy / 2);
    Application->ProcessMessages();
  }

  TPanel *top, *left, *leftTop, *leftRest, *client, *view, *list;
  TSplitter *splitter, *viewSplitter;
};

}  // namespace

TEST_F(LayoutTest, AlignedPanelsFillTheirParentsInCreationOrder) {
  form->Show();
  EXPECT_EQ(form->ClientWidth(), 400);
  EXPECT_EQ(form->ClientHeight(), 300);
  EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 400, 30));
  EXPECT_EQ(left->BoundsRect(), Rect(0, 30, 100, 300));
  EXPECT_EQ(splitter->BoundsRect(), Rect(100, 30, 104, 300));
  EXPECT_EQ(client->BoundsRect(), Rect(104, 30, 400, 300));
  // Inside a raised panel the frame takes one pixel on each side.
  EXPECT_EQ(leftTop->BoundsRect(), Rect(1, 1, 99, 41));
  EXPECT_EQ(leftRest->BoundsRect(), Rect(1, 41, 99, 269));
  // Bottoms stack upwards: the preview first, its splitter above it.
  EXPECT_EQ(view->BoundsRect(), Rect(1, 189, 295, 269));
  EXPECT_EQ(viewSplitter->BoundsRect(), Rect(1, 185, 295, 189));
  EXPECT_EQ(list->BoundsRect(), Rect(1, 1, 295, 185));
  // The windows are where the objects say.
  RECT r{};
  GetWindowRect(view->Handle(), &r);
  MapWindowPoints(HWND_DESKTOP, client->Handle(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(Rect(r.left, r.top, r.right, r.bottom), view->BoundsRect());
}

TEST_F(LayoutTest, ResizingTheFormLaysOutEveryLevelAgain) {
  form->Show();
  form->SetClientWidth(600);
  form->SetClientHeight(500);
  EXPECT_EQ(client->BoundsRect(), Rect(104, 30, 600, 500));
  EXPECT_EQ(left->Height(), 470);
  EXPECT_EQ(leftRest->Height(), 470 - 2 - 40);
  EXPECT_EQ(view->BoundsRect(), Rect(1, 389, 495, 469));
  // Resized by the system (as a user's drag of the border would).
  SetWindowPos(form->Handle(), nullptr, 0, 0, form->Width() - 100, form->Height(), SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(form->ClientWidth(), 500);
  EXPECT_EQ(client->Width(), 396);
  EXPECT_EQ(list->Width(), 394);
}

TEST_F(LayoutTest, HidingAnAlignedControlGivesItsRoomToTheOthers) {
  form->Show();
  view->Hide();
  viewSplitter->Hide();
  EXPECT_EQ(list->BoundsRect(), Rect(1, 1, 295, 269));
  view->Show();
  viewSplitter->Show();
  // Shown again in its old place, below its splitter.
  EXPECT_EQ(view->BoundsRect(), Rect(1, 189, 295, 269));
  EXPECT_EQ(viewSplitter->Top(), 185);
}

TEST_F(LayoutTest, SplittersDraggedWithTheMouseResizeTheirNeighbour) {
  form->Show();
  Pump(2);
  EXPECT_EQ(splitter->FindNeighbour(), left);
  EXPECT_EQ(viewSplitter->FindNeighbour(), view);
  Drag(splitter, 50, 0);
  EXPECT_EQ(left->Width(), 150);
  EXPECT_EQ(splitter->Left(), 150);
  EXPECT_EQ(client->Left(), 154);
  // Dragging the bottom splitter up makes the preview taller.
  Drag(viewSplitter, 0, -30);
  EXPECT_EQ(view->Height(), 110);
  EXPECT_EQ(viewSplitter->Top(), view->Top() - 4);
  // Never below the least size, nor past what leaves the least size free.
  splitter->SetMinSize(60);
  Drag(splitter, -500, 0);
  EXPECT_EQ(left->Width(), 60);
  Drag(splitter, 1000, 0);
  EXPECT_EQ(left->Width(), 400 - 4 - 60);
}

// A size given from outside (a stored one) never hides the free part or
// goes below the least size, and a neighbour squeezed by a smaller parent
// gets its size back when the parent grows again; one beyond any window is
// forgotten, so the free part grows with the parent.
TEST_F(LayoutTest, SplittersKeepTheirNeighboursWithinTheLimitsAtEveryLayout) {
  form->Show();
  left->SetWidth(100000);
  EXPECT_EQ(left->Width(), 400 - 4 - 30);
  EXPECT_EQ(client->Width(), 30);
  form->SetClientWidth(500);
  EXPECT_EQ(client->Width(), 500 - 4 - (400 - 4 - 30));
  form->SetClientWidth(400);
  left->SetWidth(-500);
  EXPECT_EQ(left->Width(), 30);
  left->SetWidth(300);
  form->SetClientWidth(200);
  EXPECT_EQ(left->Width(), 200 - 4 - 30);
  form->SetClientWidth(400);
  EXPECT_EQ(left->Width(), 300);
  view->SetHeight(100000);
  EXPECT_EQ(list->Height(), 30);
}

TEST_F(LayoutTest, AnchoredControlsKeepTheirDistancesToTheirEdges) {
  auto* ok = Add<TButton>(list, 200, 140, 80, 25);
  ok->SetAnchors(akRight | akBottom);
  auto* edit = Add<TEdit>(list, 10, 10, 270, 21);
  edit->SetAnchors(akLeft | akTop | akRight);
  form->Show();
  form->SetClientWidth(500);
  form->SetClientHeight(350);
  EXPECT_EQ(ok->BoundsRect(), Rect(300, 190, 380, 215));
  EXPECT_EQ(edit->BoundsRect(), Rect(10, 10, 380, 31));
  form->SetClientWidth(400);
  form->SetClientHeight(300);
  EXPECT_EQ(ok->BoundsRect(), Rect(200, 140, 280, 165));
  EXPECT_EQ(edit->Width(), 270);
}

// Anchors placed in a parent that has no size yet count from the first size
// it gets, so building a form child by child does not move them.
TEST_F(LayoutTest, AnchorsPlacedBeforeTheParentHasASizeCountFromItsFirst) {
  auto* bar = new TPanel(form.get());
  auto* start = Add<TButton>(bar, 150, 10, 80, 25);
  start->SetAnchors(akTop | akRight);
  form->DisableAlign();
  bar->SetParent(left);
  bar->SetAlign(alTop);
  bar->SetHeight(50);
  form->EnableAlign();
  EXPECT_EQ(start->Left(), 150);
  left->SetWidth(200);
  EXPECT_EQ(start->Left(), 250);
}

TEST_F(LayoutTest, LayoutWaitsWhileDisabledAndConstraintsHold) {
  form->Show();
  form->DisableAlign();
  form->DisableAlign();
  top->SetHeight(60);
  EXPECT_EQ(left->Top(), 30);
  form->EnableAlign();
  EXPECT_EQ(left->Top(), 30);
  form->EnableAlign();
  EXPECT_EQ(left->Top(), 60);
  left->Constraints()->SetMinWidth(120);
  EXPECT_EQ(left->Width(), 120);
  EXPECT_EQ(splitter->Left(), 120);
  left->SetWidth(20);
  EXPECT_EQ(left->Width(), 120);
  form->Constraints()->SetMinWidth(300);
  SetWindowPos(form->Handle(), nullptr, 0, 0, 100, 200, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(form->Width(), 300);
}
