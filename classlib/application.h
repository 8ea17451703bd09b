// The application object's non-visual core: the hidden application window
// that owns dialogs and receives synchronised calls, the message loop, and
// the handler of exceptions that reach a boundary.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "classlib/component.h"

class Exception;

using TExceptionEvent = std::function<void(TObject* Sender, const Exception& E)>;

class TApplication : public TComponent {
public:
  explicit TApplication(TComponent* owner);
  ~TApplication() override;

  // Posted to the application window when a synchronised call waits; its
  // handler runs the waiting calls (CheckSynchronize).
  static constexpr UINT kSynchronizeMessage = WM_USER + 0x100;

  // The hidden application window (created with the object).
  HWND Handle() const { return handle_; }
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title) { title_ = title; }

  // Handles one message if there is one; returns whether there was.
  bool ProcessMessage(MSG& msg);
  // Handles every waiting message and runs the waiting synchronised calls.
  void ProcessMessages();
  // Handles one message, or runs the waiting synchronised calls, or waits
  // until there is one or the other.
  void HandleMessage();
  // The message loop; returns when Terminate was called or WM_QUIT arrived.
  void Run();
  void Terminate();
  bool Terminated() const { return terminated_; }

  // Shows the exception (OnException when assigned, ShowException
  // otherwise); EAbort is silent.
  void HandleException(TObject* sender, std::exception_ptr error);
  void ShowException(const Exception& e);
  TExceptionEvent OnException;

private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  HWND handle_ = nullptr;
  std::string title_;
  bool terminated_ = false;
};

// The program's application object (created by the class library at start-up).
extern TApplication* Application;
