// The main window with found files in its list: searching a folder, picking
// rows by name, and reading back which rows are selected.
#pragma once

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "classlib/buttons.h"
#include "mainwindow_fixture_win.h"

namespace app_test {

class ResultListTest : public MainWindowTest {
protected:
  // Searches folder and waits for the list.
  void Find(const std::string& folder) {
    LookIn(folder);
    FindForm->bStart->Click();
    ASSERT_TRUE(WaitForSearchEnd());
    Pump(5);
  }
  // Selects exactly the rows of names (every row bearing one of them).
  static void Select(std::initializer_list<std::string> names) {
    const std::vector<std::string> shown = Column(0);
    for (size_t i = 0; i < shown.size(); ++i)
      FindForm->ListView->SetSelected(static_cast<int>(i), std::find(names.begin(), names.end(), shown[i]) != names.end());
    Pump(2);
  }
  // The names of the selected rows, as the list view holds them.
  static std::vector<std::string> SelectedNames() {
    const std::vector<std::string> names = Column(0);
    std::vector<std::string> selected;
    HWND list = FindForm->ListView->Handle();
    for (int i = ListView_GetNextItem(list, -1, LVNI_SELECTED); i >= 0; i = ListView_GetNextItem(list, i, LVNI_SELECTED))
      selected.push_back(i < static_cast<int>(names.size()) ? names[static_cast<size_t>(i)] : "(row " + std::to_string(i) + ")");
    return selected;
  }
  static std::vector<std::string> SortedColumn(int column) {
    std::vector<std::string> v = Column(column);
    std::sort(v.begin(), v.end());
    return v;
  }
};

}  // namespace app_test
