#include "components/formstorage.h"

#include <string>
#include <vector>

#include "classlib/inifiles.h"
#include "classlib/panels.h"
#include "classlib/registry.h"
#include "classlib/stringlist.h"
#include "classlib/window_fixture_win.h"
#include "components/placementsettings.h"
#include "components/utilities.h"

namespace {

// Tests run side by side in one registry: each has a key of its own.
std::string TestKey() {
  return std::string("Software\\Marnok\\OvalisTest\\") +
         testing::UnitTest::GetInstance()->current_test_info()->name();
}
std::string PlaceKey() { return "\\" + TestKey() + "\\Place"; }

// A form with two panels whose sizes are kept, and its storage, as the
// main window has them.
class FormStorageTest : public WindowTest {
protected:
  void SetUp() override {
    TRegistry().DeleteKey("\\" + TestKey());
    WindowTest::SetUp();
    Build();
  }
  void TearDown() override {
    WindowTest::TearDown();
    TRegistry().DeleteKey("\\" + TestKey());
  }
  // A new form at its designed place, its storage loaded.
  void Build() {
    form = std::make_unique<TForm>(nullptr);
    form->AfterConstruction();
    form->SetBounds(100, 80, 500, 400);
    pLeft = new TPanel(form.get());
    pLeft->SetName("pLeft");
    pLeft->SetParent(form.get());
    pLeft->SetBounds(0, 0, 120, 300);
    pView = new TPanel(form.get());
    pView->SetName("pView");
    pView->SetParent(form.get());
    pView->SetBounds(130, 0, 300, 90);
    storage = new TFormStorage(form.get());
    storage->SetUseRegistry(true);
    storage->SetIniFileName(TestKey());
    storage->SetIniSection("Place");
    storage->StoredProps()->Add("pLeft.Width");
    storage->StoredProps()->Add("pView.Height");
    storage->StoredProps()->Add("NoDotHere");
    storage->Loaded();
  }
  // The registry opened at the placement's section.
  struct Place : TRegistry {
    Place() { OpenKey(PlaceKey(), true); }
  };
  static std::string Stored(const std::string& name) {
    Place registry;
    EXPECT_EQ(registry.GetDataType(name), rdString) << name;
    return registry.ReadString(name);
  }
  RECT WindowRect() const {
    RECT r{};
    GetWindowRect(form->Handle(), &r);
    return r;
  }

  TPanel* pLeft = nullptr;
  TPanel* pView = nullptr;
  TFormStorage* storage = nullptr;
};

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

// A first run restores nothing and keeps the designed place; closing writes
// every value as a string value, the suffixed ones too, and the panels.
TEST_F(FormStorageTest, FirstCloseWritesEveryValueAsText) {
  EXPECT_EQ(storage->StoredProps()->Count(), 2);  // the item without a dot is gone
  form->Show();
  EXPECT_TRUE(Same(WindowRect(), RECT{100, 80, 600, 480}));
  pLeft->SetWidth(200);
  pView->SetHeight(150);
  form->Close();
  const std::string suffix = ScreenSizeSuffix();
  EXPECT_EQ(suffix, "(1280x1024)");
  for (const std::string& name : std::vector<std::string>{"Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos",
                                                          "NormPos", "MinMaxPos" + suffix, "NormPos" + suffix})
    EXPECT_FALSE(Stored(name).empty()) << name;
  EXPECT_EQ(Stored("FormVersion"), "0");
  EXPECT_EQ(Stored("Visible"), "0");
  EXPECT_EQ(Stored("ShowCmd"), "1");
  EXPECT_EQ(Stored("NormPos"), "100,80,600,480");
  EXPECT_EQ(Stored("pLeft_Width"), "200");
  EXPECT_EQ(Stored("pView_Height"), "150");
}

TEST_F(FormStorageTest, NextShowRestoresPlaceStateAndPanels) {
  form->Show();
  SetWindowPos(form->Handle(), nullptr, 150, 140, 420, 380, SWP_NOZORDER | SWP_NOACTIVATE);
  pLeft->SetWidth(210);
  pView->SetHeight(160);
  form->Close();
  storage = nullptr;
  Build();
  form->Show();
  EXPECT_TRUE(Same(WindowRect(), RECT{150, 140, 570, 520}));
  EXPECT_EQ(pLeft->Width(), 210);
  EXPECT_EQ(pView->Height(), 160);

  form->SetWindowState(wsMaximized);
  form.reset();  // saved while being destroyed: "Visible" says so
  EXPECT_EQ(Stored("Visible"), "1");
  EXPECT_EQ(Stored("ShowCmd"), "3");
  Build();
  form->Show();
  EXPECT_EQ(form->WindowState(), wsMaximized);
}

// Damaged or foreign values never put the window out of reach or break a
// panel: each case leaves the designed place.
TEST_F(FormStorageTest, DamagedPlacementKeepsTheDesignedPlace) {
  form->Show();
  form->Close();
  struct Case {
    const char* name;
    void (*damage)(TRegistry&);
  } cases[] = {
      {"off every monitor", [](TRegistry& r) { r.WriteString("NormPos", "5000,5000,5400,5300"); }},
      {"no width", [](TRegistry& r) { r.WriteString("NormPos", "300,300,300,500"); }},
      {"upside down", [](TRegistry& r) { r.WriteString("NormPos", "300,300,500,100"); }},
      {"a number value", [](TRegistry& r) { r.WriteInteger("NormPos", 150); }},
      {"a binary value", [](TRegistry& r) { r.WriteBinaryData("NormPos", "150,140,570,520", 15); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    {
      Place registry;
      for (const char* name : {"NormPos", "MinMaxPos"}) registry.DeleteValue(std::string(name) + ScreenSizeSuffix());
      c.damage(registry);
      registry.WriteString("pLeft_Width", "wide");
    }
    form.reset();
    
    Build();
    {
      Place registry;
      registry.DeleteValue("ShowCmd");
      registry.WriteString("pLeft_Width", "wide");
    }
    form->Show();
    EXPECT_TRUE(Same(WindowRect(), RECT{100, 80, 600, 480}));
    EXPECT_EQ(pLeft->Width(), 120);
    form->Close();
  }
}

TEST_F(FormStorageTest, NewerVersionIgnoresOlderValues) {
  form->Show();
  SetWindowPos(form->Handle(), nullptr, 150, 140, 420, 380, SWP_NOZORDER | SWP_NOACTIVATE);
  form->Close();
  form.reset();
  Build();
  storage->SetVersion(2);
  form->Show();
  EXPECT_TRUE(Same(WindowRect(), RECT{100, 80, 600, 480}));
  form->Close();
  EXPECT_EQ(Stored("FormVersion"), "2");
}

// Forbidden resizing: no sizing borders, no size or maximise in the window
// menu, no maximise button; imposed tracking sizes otherwise.
TEST_F(FormStorageTest, PreventResizeAndTrackingSizes) {
  form->SetBorderStyle(bsSizeable);
  form->Show();
  HWND window = form->Handle();
  storage->MinMaxInfo()->SetMinTrackWidth(333);
  MINMAXINFO info{};
  SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 333);

  storage->SetPreventResize(true);
  EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & WS_MAXIMIZEBOX, 0);
  RECT r = WindowRect();
  EXPECT_EQ(SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(r.right - 1, (r.top + r.bottom) / 2)), HTNOWHERE);
  HMENU menu = GetSystemMenu(window, FALSE);
  SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, 1));
  EXPECT_TRUE(GetMenuState(menu, SC_SIZE, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_TRUE(GetMenuState(menu, SC_MAXIMIZE, MF_BYCOMMAND) & MF_GRAYED);
  SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMaxTrackSize.x, form->Width());

  storage->SetPreventResize(false);
  EXPECT_NE(GetWindowLongA(window, GWL_STYLE) & WS_MAXIMIZEBOX, 0);
}

// A settings file reads back a value in quotes as it was written.
TEST_F(FormStorageTest, SettingsFileKeepsQuotes) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string file = std::string(temp) + "ovalis_placement_test.ini";
  DeleteFileA(file.c_str());
  storage->SetUseRegistry(false);
  storage->SetIniFileName(file);
  for (const std::string value : {"plain", "'single'", "\"double\"", ""}) {
    storage->WriteString("Value", value);
    EXPECT_EQ(storage->ReadString("Value", "missing"), value);
  }
  TIniFile ini(file);
  storage->WriteString("Value", "'single'");
  EXPECT_EQ(ini.ReadString("Place", "Value", ""), "'single'");
  DeleteFileA(file.c_str());
}
TEST(StoredValues, KeyedValueIsEncipheredAndNamesAreUnique) {
  TComponent form(nullptr);
  TFormStorage storage(&form);
  storage.SetUseRegistry(true);
  storage.SetIniFileName("Software\\Marnok\\OvalisTest\\Values");
  storage.SetIniSection("Place");
  TStoredValue* secret = storage.StoredValues()->Add();
  secret->SetName("Secret");
  secret->SetKeyString("key");
  secret->SetValue(Variant("pass word"));
  TStoredValue* plain = storage.StoredValues()->Add();
  plain->SetName("Plain");
  plain->SetValue(Variant(int64_t{42}));
  EXPECT_THROW(plain->SetName("SECRET"), EStringListError);
  plain->SetName("PLAIN");  // its own name in another case

  storage.StoredValues()->SaveValues();
  EXPECT_EQ(storage.ReadString("Secret", ""), XorEncode("key", "pass word"));
  EXPECT_EQ(storage.ReadString("PLAIN", ""), "42");
  secret->Clear();
  plain->Clear();
  storage.StoredValues()->RestoreValues();
  EXPECT_EQ(secret->Value(), Variant("pass word"));
  EXPECT_EQ(plain->Value(), Variant("42"));
  EXPECT_EQ(storage.StoredValues()->IndexOf("plain"), 1);
  TRegistry().DeleteKey("\\Software\\Marnok\\OvalisTest\\Values");
}
