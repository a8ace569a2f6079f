// Windows platform: Form1 with its one label, a modal report box, and the
// directory of the program file.
//
// The window is shown and painted once; after that the work runs on this
// thread without a message loop, so nothing repaints it until it is
// destroyed. Sizes are kept in twips, as the form is laid out, and turned
// into pixels with the screen's resolution.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "run/platform.h"

namespace scenario {
namespace {

constexpr char kWindowClass[] = "Form1";
constexpr char kTitle[] = "Brenvalo_Morvena_4815";

// Form1: client area.
constexpr int kClientWidthTwips = 4200;
constexpr int kClientHeightTwips = 2688;
// Label1: place, size, caption and font.
constexpr int kLabelLeftTwips = 960;
constexpr int kLabelTopTwips = 960;
constexpr int kLabelWidthTwips = 2652;
constexpr int kLabelHeightTwips = 792;
constexpr char kLabelCaption[] = "Attendere";
constexpr char kLabelFontFace[] = "MS Sans Serif";
constexpr int kLabelFontPoints = 24;
constexpr int kLabelFontWeight = 700;

constexpr int kTwipsPerInch = 1440;
constexpr int kPointsPerInch = 72;

// Upper bound on the messages handled right after showing the window, so
// that a window manager that keeps sending cannot hold up the run.
constexpr int kMaxPendingMessages = 1000;

// Development aid: when set to a number of milliseconds, the window stays
// up (and keeps painting) that long before the work begins, long enough to
// take a picture of it. Never set in normal use.
constexpr char kHoldVariable[] = "SCENARIO_HOLD_WINDOW_MS";
constexpr unsigned long kMaxHoldMs = 600000;
// Test aid, as the hold above: when set to a number of milliseconds, a
// report is also written to standard error and its box closes itself after
// that long, as if OK were pressed, so that an unattended check sees the
// run end and can read why. Never set in normal use.
constexpr char kCloseReportVariable[] = "SCENARIO_CLOSE_REPORT_MS";
// The class of the dialog window a report box is.
constexpr char kDialogClass[] = "#32770";

LRESULT CALLBACK form_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  // The window goes away only when the run ends; a close request while the
  // work is being done is ignored.
  if (message == WM_CLOSE) return 0;
  return DefWindowProcA(window, message, wparam, lparam);
}

int twips_to_pixels(int twips, int dpi) { return MulDiv(twips, dpi, kTwipsPerInch); }

// Handles what is already queued (the first paint of the window and its
// label, activation) without waiting for anything new.
void handle_pending_messages() {
  MSG msg;
  for (int i = 0; i < kMaxPendingMessages && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (msg.message == WM_QUIT) {
      // Not ours to consume: leave it for whoever asked to quit.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// A number of milliseconds from the environment, 0 when unset or not a
// number, at most kMaxHoldMs.
unsigned long milliseconds_from(const char* variable) {
  char value[32];
  const DWORD n = GetEnvironmentVariableA(variable, value, sizeof value);
  if (n == 0 || n >= sizeof value) return 0;
  char* end = nullptr;
  const unsigned long ms = std::strtoul(value, &end, 10);
  if (end == value || *end != '\0') return 0;
  return ms > kMaxHoldMs ? kMaxHoldMs : ms;
}

// Presses OK on the report box this thread shows (the timer fires inside
// the box's own message loop).
BOOL CALLBACK press_ok_on_report(HWND window, LPARAM) {
  char name[sizeof kDialogClass + 1];
  if (GetClassNameA(window, name, sizeof name) == 0 || std::strcmp(name, kDialogClass) != 0) return TRUE;
  PostMessageA(window, WM_COMMAND, IDOK, 0);
  return FALSE;
}

void CALLBACK close_report(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), press_ok_on_report, 0);
}

void hold_window(unsigned long ms) {
  const ULONGLONG until = GetTickCount64() + ms;
  for (ULONGLONG now = GetTickCount64(); now < until; now = GetTickCount64()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(until - now), QS_ALLINPUT);
    handle_pending_messages();
  }
}

class windows_platform : public platform {
 public:
  windows_platform() = default;
  windows_platform(const windows_platform&) = delete;
  windows_platform& operator=(const windows_platform&) = delete;
  ~windows_platform() override { close_window(); }

  void show_wait_window() override {
    if (window_ != nullptr) return;
    instance_ = GetModuleHandleA(nullptr);

    WNDCLASSEXA form_class{};
    form_class.cbSize = sizeof form_class;
    form_class.lpfnWndProc = form_procedure;
    form_class.hInstance = instance_;
    form_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    form_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    form_class.lpszClassName = kWindowClass;
    if (RegisterClassExA(&form_class) == 0) return;
    class_registered_ = true;

    int dpi_x = 96;
    int dpi_y = 96;
    if (HDC screen = GetDC(nullptr); screen != nullptr) {
      dpi_x = GetDeviceCaps(screen, LOGPIXELSX);
      dpi_y = GetDeviceCaps(screen, LOGPIXELSY);
      ReleaseDC(nullptr, screen);
    }

    const DWORD style = WS_OVERLAPPEDWINDOW;
    RECT frame{0, 0, twips_to_pixels(kClientWidthTwips, dpi_x), twips_to_pixels(kClientHeightTwips, dpi_y)};
    AdjustWindowRect(&frame, style, FALSE);
    window_ = CreateWindowExA(0, kWindowClass, kTitle, style, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                              frame.bottom - frame.top, nullptr, nullptr, instance_, nullptr);
    if (window_ == nullptr) return;

    font_ = CreateFontA(-MulDiv(kLabelFontPoints, dpi_y, kPointsPerInch), 0, 0, 0, kLabelFontWeight, FALSE, FALSE, FALSE,
                        ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_DONTCARE, kLabelFontFace);
    label_ = CreateWindowExA(0, "STATIC", kLabelCaption, WS_CHILD | WS_VISIBLE | SS_LEFT,
                             twips_to_pixels(kLabelLeftTwips, dpi_x), twips_to_pixels(kLabelTopTwips, dpi_y),
                             twips_to_pixels(kLabelWidthTwips, dpi_x), twips_to_pixels(kLabelHeightTwips, dpi_y),
                             window_, nullptr, instance_, nullptr);
    if (label_ != nullptr && font_ != nullptr) {
      SendMessageA(label_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    }
    if (label_ != nullptr) fit_label_to_caption();

    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    handle_pending_messages();
    if (const unsigned long ms = milliseconds_from(kHoldVariable); ms != 0) hold_window(ms);
  }

  void show_report(const std::string& message) override {
    UINT_PTR timer = 0;
    if (const unsigned long ms = milliseconds_from(kCloseReportVariable); ms != 0) {
      std::fprintf(stderr, "%s\n", message.c_str());
      std::fflush(stderr);
      timer = SetTimer(nullptr, 0, ms, close_report);
    }
    MessageBoxA(window_, message.c_str(), kTitle, MB_OK);
    if (timer != 0) KillTimer(nullptr, timer);
  }

  std::string program_file() override {
    // Grow the buffer until the whole name fits; the result is truncated
    // (and the return value equals the size) when it does not.
    std::string path(MAX_PATH, '\0');
    for (;;) {
      const DWORD size = static_cast<DWORD>(path.size());
      const DWORD n = GetModuleFileNameA(nullptr, path.data(), size);
      if (n == 0) return {};
      if (n < size) {
        path.resize(n);
        return path;
      }
      if (path.size() >= 32768) return {};
      path.resize(path.size() * 2);
    }
  }

  std::string application_directory() override {
    const std::string path = program_file();
    if (path.empty()) return ".";
    const size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos) return ".";
    return path.substr(0, separator);
  }

  void close_window() override {
    if (window_ != nullptr) {
      DestroyWindow(window_);  // destroys the label with it
      window_ = nullptr;
      label_ = nullptr;
    }
    if (font_ != nullptr) {
      DeleteObject(font_);
      font_ = nullptr;
    }
    if (class_registered_) {
      UnregisterClassA(kWindowClass, instance_);
      class_registered_ = false;
    }
  }

 private:
  // The system may give another face for the one asked (a substitute for
  // "MS Sans Serif", wider than it), so the caption is measured in the font
  // the label actually draws with, and the label grows to it, keeping its
  // left and top; it never shrinks below its laid-out size.
  void fit_label_to_caption() {
    HDC dc = GetDC(label_);
    if (dc == nullptr) return;
    auto font = reinterpret_cast<HFONT>(SendMessageA(label_, WM_GETFONT, 0, 0));
    if (font == nullptr) font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    const HGDIOBJ previous = SelectObject(dc, font);
    SIZE extent{};
    TEXTMETRICA metrics{};
    const bool measured = GetTextExtentPoint32A(dc, kLabelCaption, static_cast<int>(sizeof kLabelCaption - 1), &extent) &&
                          GetTextMetricsA(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(label_, dc);
    if (!measured) return;
    RECT now{};
    if (!GetClientRect(label_, &now)) return;
    // The overhang of a synthesised bold face lies past the advance widths.
    const int width = static_cast<int>(extent.cx) + static_cast<int>(metrics.tmOverhang) + 1;
    const int height = static_cast<int>(extent.cy);
    if (width <= now.right && height <= now.bottom) return;
    SetWindowPos(label_, nullptr, 0, 0, width > now.right ? width : now.right, height > now.bottom ? height : now.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  HINSTANCE instance_ = nullptr;
  bool class_registered_ = false;
  HWND window_ = nullptr;
  HWND label_ = nullptr;
  HFONT font_ = nullptr;
};

}  // namespace

std::unique_ptr<platform> make_platform() { return std::make_unique<windows_platform>(); }

}  // namespace scenario
