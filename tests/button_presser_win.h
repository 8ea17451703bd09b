// Answers the dialog boxes of the test's own process from another thread,
// so that the shell's and the program's questions cannot block a test.
#pragma once

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Presses the given buttons, one per dialog box this process shows, in
// order; later boxes get the last one. Counts the boxes and keeps their
// texts.
class TButtonPresser {
public:
  explicit TButtonPresser(std::vector<int> buttons) : buttons_(std::move(buttons)), worker_([this] { Run(); }) {}
  ~TButtonPresser() {
    stop_ = true;
    worker_.join();
  }
  TButtonPresser(const TButtonPresser&) = delete;
  TButtonPresser& operator=(const TButtonPresser&) = delete;

  int Boxes() const { return boxes_; }
  std::wstring Texts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
  }

private:
  void Run() {
    HWND last = nullptr;
    while (!stop_) {
      HWND box = nullptr;
      while ((box = FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr) {
        DWORD process = 0;
        GetWindowThreadProcessId(box, &process);
        if (process != GetCurrentProcessId() || !IsWindowVisible(box) || box == last) continue;
        wchar_t text[1024] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 1024);
        {
          std::lock_guard<std::mutex> lock(mutex_);
          texts_ += std::wstring(text) + L"\n";
        }
        const size_t n = static_cast<size_t>(boxes_++);
        PostMessageA(box, WM_COMMAND, buttons_[std::min(n, buttons_.size() - 1)], 0);
        last = box;
      }
      Sleep(50);
    }
  }

  std::vector<int> buttons_;
  std::atomic<bool> stop_{false};
  std::atomic<int> boxes_{0};
  mutable std::mutex mutex_;
  std::wstring texts_;
  std::thread worker_;
};
