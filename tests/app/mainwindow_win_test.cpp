// The main window as a user meets it.
#include <gtest/gtest.h>

#include <iostream>

#include "mainwindow_fixture_win.h"

namespace {

using app_test::MainWindowTest;

TEST_F(MainWindowTest, OpensWithItsControlsShown) {
  std::cout << app_test::DescribeChildren(FindForm->Handle());
}

}  // namespace
