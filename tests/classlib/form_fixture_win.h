// A test with a form of its own (not yet shown) and the application's
// exceptions collected: a test fails when any reached the boundary.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/exceptions.h"
#include "classlib/forms.h"

class FormFixture : public testing::Test {
protected:
  void SetUp() override {
    Application->OnException = [this](TObject*, const Exception& e) { errors.push_back(e.Message()); };
    form = std::make_unique<TForm>(nullptr);
    form->AfterConstruction();
  }
  void TearDown() override {
    form.reset();
    Application->ProcessMessages();
    Application->OnException = nullptr;
    EXPECT_TRUE(errors.empty()) << errors.front();
  }
  // Handles what the posted messages caused.
  void Pump() {
    for (int i = 0; i < 3; ++i) {
      Application->ProcessMessages();
      Sleep(5);
    }
  }

  std::unique_ptr<TForm> form;
  std::vector<std::string> errors;
};
