#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace teshmar::app {

struct PageControlStyle {
  COLORREF page = 16119543;   // R 247, G 246, B 245
  COLORREF flat = 10263441;   // R 145, G 155, B 156: frames of the tabs and the pages
  COLORREF hot = 3983359;     // R 255, G 199, B 60: highlight bar of the active and the hovered tab
  HFONT font = nullptr;       // not owned
  int tabHeight = 18;
};

// The main window's flat page control: a row of tabs drawn by us over pages of one colour.
// Each page is a child window; what its controls send to it (commands, drawing requests,
// colour requests) goes on to the top-level window, so one window procedure handles them all.
class PageControl {
 public:
  static constexpr int kFrame = 2;  // between the control's edge and a page

  bool Create(HWND parent, int x, int y, int width, int height, const std::vector<std::wstring>& captions,
              const PageControlStyle& style);
  HWND Handle() const { return hwnd_; }
  HWND Page(size_t index) const { return pages_.at(index); }
  size_t ActivePage() const { return active_; }
  void SetActivePage(size_t index);
  // Ctrl+Tab and Ctrl+Shift+Tab anywhere in `root` turn to the next and the previous page; true
  // when the key was taken. Called before the dialog manager, which would treat it as Tab.
  bool TranslateCtrlTab(HWND root, const MSG& msg);
  const PageControlStyle& Style() const { return style_; }

 private:
  static LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void OnPaint();
  void OnMouseMove(int x, int y);
  void OnLButtonDown(int x, int y);
  RECT TabRect(size_t index) const;
  int TabAt(int x, int y) const;

  HWND hwnd_ = nullptr;
  std::vector<HWND> pages_;
  std::vector<std::wstring> captions_;
  std::vector<int> tabWidths_;
  PageControlStyle style_;
  HBRUSH pageBrush_ = nullptr;
  size_t active_ = 0;
  int hot_ = -1;
};

}  // namespace teshmar::app
