// The event loop is the system's: GetMessageW/DispatchMessageW, with the
// timers as WM_TIMER of the main window and the posted messages as real
// messages of the hidden windows. A MessageBoxW or a task dialog runs the
// system's own modal loop, which goes on dispatching both, as the game
// expects; the owner is disabled meanwhile, so presses on the main window do
// not arrive. The loop and the message boxes look at the stop request every
// 50 ms, the task dialogs every 200 ms. After
// every event the picture's version is checked and the window invalidated
// when it moved on, so a frame is painted once however many changes it had.
#include "platform/win32/Win32Host.h"

#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>

#include <algorithm>
#include <map>
#include <stdexcept>
#include <vector>

#include "platform/MidiPlayer.h"
#include "platform/Picture.h"
#include "platform/Scaling.h"
#include "platform/WaveOut.h"
#include "platform/win32/MciMidiPlayer.h"
#include "platform/win32/Text.h"
#include "platform/win32/Win32WaveOut.h"
#include "platform/win32/XInputPad.h"

namespace platform::win32 {
namespace {

constexpr const wchar_t* kMainClass = L"KestoMainWindow";
// The gamepad's poll, a WM_TIMER of its own beside the game's (numbered 1 up).
constexpr UINT_PTR kPadTimer = 0x7AD0;
constexpr UINT kPadPollMs = 20;
// A sizeable frame; the picture keeps its aspect inside it, with bars.
constexpr DWORD kMainStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kMainExStyle = WS_EX_APPWINDOW;
// Full screen: no frame, the whole monitor.
constexpr DWORD kFullScreenStyle = WS_POPUP | WS_CLIPCHILDREN;
// The picture's size until the game sets its own.
constexpr int kPictureWidth = 400, kPictureHeight = 300;

class Win32Host;
Win32Host* theHost = nullptr;

// How often the loop and the boxes look at the stop request, in ms.
constexpr DWORD kStopPoll = 50;

// The system's box being shown: the caption of its one button and, once the
// box is up, its window.
struct BoxShown {
  std::wstring caption;
  HWND window = nullptr;
  HHOOK hook = nullptr;
};
BoxShown* boxShown = nullptr;

// Names the box's button as the box first activates.
LRESULT CALLBACK BoxHook(int code, WPARAM wParam, LPARAM lParam) {
  BoxShown* box = boxShown;
  if (code == HCBT_ACTIVATE && box && !box->window) {
    const HWND window = reinterpret_cast<HWND>(wParam);
    wchar_t className[16] = L"";
    GetClassNameW(window, className, 16);
    if (std::wstring_view(className) == L"#32770") {
      box->window = window;
      if (!box->caption.empty()) SetDlgItemTextW(window, IDOK, box->caption.c_str());
    }
  }
  return CallNextHookEx(box ? box->hook : nullptr, code, wParam, lParam);
}

// The identifier of a choice box's first button; the others follow it.
constexpr int kFirstChoice = 100;

HRESULT CALLBACK ChoiceNotice(HWND window, UINT notice, WPARAM, LPARAM, LONG_PTR);

class Win32Timer final : public Timer {
 public:
  Win32Timer(Win32Host* host, UINT_PTR id, std::uint32_t interval, std::function<void()> onTimer)
      : host_(host), id_(id), interval_(interval), onTimer_(std::move(onTimer)) {}
  ~Win32Timer() override;
  void SetEnabled(bool enabled) override;
  bool Enabled() const override { return enabled_; }
  std::uint32_t Interval() const override { return interval_; }
  void Fire() {
    if (enabled_ && onTimer_) onTimer_();
  }

 private:
  Win32Host* host_;
  const UINT_PTR id_;
  const std::uint32_t interval_;
  bool enabled_ = false;
  std::function<void()> onTimer_;
};

class Win32MainWindow final : public MainWindow {
 public:
  Win32MainWindow(HWND window, int scale) : window_(window), scale_(std::clamp(scale, kMinScale, kMaxScale)) {}

  void SetCaption(const std::string& utf8) override { SetWindowTextW(window_, Widen(utf8).c_str()); }

  // The picture's size; the window's client area is that times the scale,
  // centred on the work area as a dialog at the screen's centre.
  void SetClientSize(int width, int height) override {
    width_ = width;
    height_ = height;
    FitWindow();
  }

  void SetPicture(const Picture* picture) override {
    picture_ = picture;
    shownVersion_ = ~std::uint64_t(0);
    Refresh();
  }

  void Close() override {
    if (closed_ || !QueryClose()) return;
    closed_ = true;
    ShowWindow(window_, SW_HIDE);
    PostMessageW(window_, WM_NULL, 0, 0);  // wakes the loop, which sees the close
  }
  bool Closed() const override { return closed_; }

  // F11 and Alt+Enter: the whole monitor without a frame, and back to the
  // window as it was.
  void ToggleFullScreen() {
    const bool visible = IsWindowVisible(window_);
    if (!fullScreen_) {
      restore_.length = sizeof restore_;
      GetWindowPlacement(window_, &restore_);
      MONITORINFO monitor{};
      monitor.cbSize = sizeof monitor;
      GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor);
      const RECT& area = monitor.rcMonitor;
      SetWindowLongPtrW(window_, GWL_STYLE, kFullScreenStyle | (visible ? WS_VISIBLE : 0));
      SetWindowPos(window_, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                   SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
    } else {
      SetWindowLongPtrW(window_, GWL_STYLE, kMainStyle | (visible ? WS_VISIBLE : 0));
      if (!visible) restore_.showCmd = SW_HIDE;  // the placement alone shows no window
      SetWindowPlacement(window_, &restore_);
      SetWindowPos(window_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    }
    fullScreen_ = !fullScreen_;
    InvalidateRect(window_, nullptr, FALSE);
  }

  void Refresh() {
    if (!picture_ || picture_->Version() == shownVersion_) return;
    shownVersion_ = picture_->Version();
    InvalidateRect(window_, nullptr, FALSE);
  }

  // The picture enlarged by whole factors, nearest neighbour, with black
  // bars round it; the form's own colour where the picture does not cover
  // its client area.
  void Paint(HDC dc) {
    RECT client{};
    GetClientRect(window_, &client);
    const Placement place = Place();
    int shownWidth = 0, shownHeight = 0;
    if (picture_ && picture_->Width() > 0 && picture_->Height() > 0 && width_ > 0 && height_ > 0) {
      const int w = picture_->Width(), h = picture_->Height();
      shownWidth = std::min(place.width, int(std::int64_t(w) * place.width / width_));
      shownHeight = std::min(place.height, int(std::int64_t(h) * place.height / height_));
      BITMAPINFO info{};
      info.bmiHeader.biSize = sizeof info.bmiHeader;
      info.bmiHeader.biWidth = w;
      info.bmiHeader.biHeight = -h;  // top row first
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 32;
      info.bmiHeader.biCompression = BI_RGB;
      SetStretchBltMode(dc, COLORONCOLOR);
      StretchDIBits(dc, place.x, place.y, shownWidth, shownHeight, 0, 0, w, h, picture_->Pixels(), &info,
                    DIB_RGB_COLORS, SRCCOPY);
    }
    const Surround around = SurroundPicture(place, client.right, client.bottom, shownWidth, shownHeight);
    const auto fill = [dc](const Area* areas, int count, HBRUSH brush) {
      for (int i = 0; i < count; ++i) {
        const RECT rect{areas[i].x, areas[i].y, areas[i].x + areas[i].width, areas[i].y + areas[i].height};
        FillRect(dc, &rect, brush);
      }
    };
    fill(around.bars, around.barCount, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    fill(around.face, around.faceCount, GetSysColorBrush(COLOR_BTNFACE));
  }

  // A press on the window: on the picture, at the picture pixel under it.
  void PressAt(int windowX, int windowY, MouseButton button) {
    int x = 0, y = 0;
    if (!WindowToPicture(Place(), width_, height_, windowX, windowY, &x, &y)) return;
    const int right = picture_ ? std::min(picture_->Width(), width_) : width_;
    const int bottom = picture_ ? std::min(picture_->Height(), height_) : height_;
    if (closed_ || x >= right || y >= bottom) return;
    if (onMouseDown) onMouseDown(x, y, button);
  }

  void KeyPress(Key key) {
    if (!closed_ && onKey) onKey(key);
  }

  HWND Handle() const { return window_; }

 private:
  Placement Place() const {
    RECT client{};
    GetClientRect(window_, &client);
    return PlacePicture(width_, height_, client.right, client.bottom);
  }

  // The window of the picture at the scale, centred on its monitor's work
  // area. Full screen keeps the monitor; the window comes back to this.
  void FitWindow() {
    if (fullScreen_) {
      InvalidateRect(window_, nullptr, FALSE);
      return;
    }
    RECT frame{0, 0, width_ * scale_, height_ * scale_};
    AdjustWindowRectEx(&frame, kMainStyle, FALSE, kMainExStyle);
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    const int x = area.left + (area.right - area.left - w) / 2;
    const int y = area.top + (area.bottom - area.top - h) / 2;
    SetWindowPos(window_, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window_, nullptr, FALSE);
  }

  HWND window_;
  const int scale_;
  int width_ = kPictureWidth, height_ = kPictureHeight;
  const Picture* picture_ = nullptr;
  std::uint64_t shownVersion_ = ~std::uint64_t(0);
  bool closed_ = false;
  bool fullScreen_ = false;
  WINDOWPLACEMENT restore_{};
};

class Win32Host final : public Host {
 public:
  Win32Host(std::string folder, int scale);
  ~Win32Host() override;

  std::uint32_t Milliseconds() override { return timeGetTime(); }
  bool RegisterWindowClass(const std::string& className, WindowProc proc, std::uint32_t* lastError) override;
  WindowHandle CreateHiddenWindow(const std::string& className) override;
  void DestroyHiddenWindow(WindowHandle window) override {
    if (window) DestroyWindow(reinterpret_cast<HWND>(window));
  }
  bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
    return PostMessageW(reinterpret_cast<HWND>(window), message, wParam, lParam) != 0;
  }
  std::unique_ptr<Timer> CreateTimer(std::uint32_t intervalMs, bool enabled, std::function<void()> onTimer) override;
  MainWindow& Main() override { return *main_; }
  int ShowMessageBox(const std::string& caption, const std::string& text, BoxIcon icon,
                     const std::vector<std::string>& buttons = {}) override;
  int Run() override;
  WaveOut& WaveOutDevice() override {
    if (!waveOut_) waveOut_ = CreateWin32WaveOut(*this);
    return *waveOut_;
  }
  std::unique_ptr<MidiPlayer> CreateMidiPlayer() override { return CreateMciMidiPlayer(); }
  void StopSimpleSound() override { PlaySoundW(nullptr, nullptr, 0); }
  std::string ProgramFolder() override { return folder_; }
  // The effects through our blocks; the music at the MIDI device the
  // sequencer plays on, its own volume given back on unmuting.
  void ApplyMuted(bool muted) override {
    SetWaveOutMuted(muted);
    const HMIDIOUT midi = reinterpret_cast<HMIDIOUT>(UINT_PTR(0));
    if (muted) {
      if (midiOutGetVolume(midi, &midiVolume_) != MMSYSERR_NOERROR) midiVolume_ = 0xFFFFFFFF;
      midiOutSetVolume(midi, 0);
    } else {
      midiOutSetVolume(midi, midiVolume_);
    }
  }

  void StartTimer(UINT_PTR id, std::uint32_t interval) {
    SetTimer(main_->Handle(), id, interval, nullptr);  // the system raises it to its minimum
  }
  void StopTimer(UINT_PTR id) { KillTimer(main_->Handle(), id); }
  void ForgetTimer(UINT_PTR id) { timers_.erase(id); }

  LRESULT MainMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  int ShowSystemBox(HWND owner, const std::string& caption, const std::string& text, BoxIcon icon,
                    const std::vector<std::string>& buttons);
  int ShowChoiceBox(HWND owner, const std::string& caption, const std::string& text, BoxIcon icon,
                    const std::vector<std::string>& buttons);
  void AfterEvent() { main_->Refresh(); }

 private:
  std::string folder_;
  std::unique_ptr<Win32MainWindow> main_;
  std::map<UINT_PTR, Win32Timer*> timers_;
  UINT_PTR lastTimer_ = 0;
  int openBoxes_ = 0;
  // The session is ending: the record is saved as at a close, but no box
  // may hold up the system's shutdown, so boxes count as confirmed at once.
  bool endingSession_ = false;
  std::unique_ptr<WaveOut> waveOut_;
  DWORD midiVolume_ = 0xFFFFFFFF;

 public:
  // The gamepad, polled on its own timer: the d-pad or left stick as Left
  // and Right, A as Key::PadSouth; nothing while a box has the window
  // disabled, so a pad never confirms the close.
  void SetPads(PadSource source) { pads_ = std::move(source); }
  void PollPads() {
    PadState state;
    if (!pads_ || !pads_(state)) state = PadState{};
    padPresses_.Update(state, [this](Key key) {
      if (IsWindowEnabled(main_->Handle())) main_->KeyPress(key);
    });
  }

 private:
  PadSource pads_;
  PadPresses padPresses_;
  // The procedures of the classes registered through us, by class name.
  std::map<std::wstring, WindowProc> procs_;
};

Win32Timer::~Win32Timer() {
  if (enabled_) host_->StopTimer(id_);
  host_->ForgetTimer(id_);
}

void Win32Timer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (enabled)
    host_->StartTimer(id_, interval_);
  else
    host_->StopTimer(id_);
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (theHost) return theHost->MainMessage(window, message, wParam, lParam);
  return DefWindowProcW(window, message, wParam, lParam);
}

// The procedure of every class registered for our callers: their own
// procedure, kept in the window's user data, gets the posted messages (the
// multimedia notices and the application's own range); the system's messages
// go to the default procedure.
LRESULT CALLBACK HiddenProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto proc = reinterpret_cast<WindowProc>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (proc && (message == MM_WOM_DONE || (message >= WM_USER && message < 0xC000))) {
    proc(reinterpret_cast<WindowHandle>(window), message, wParam, lParam);
    if (theHost) theHost->AfterEvent();
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

Win32Host::Win32Host(std::string folder, int scale) : folder_(std::move(folder)) {
  if (folder_.empty() || (folder_.back() != '\\' && folder_.back() != '/')) folder_ += '\\';
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW main{};
  main.cbSize = sizeof main;
  main.lpfnWndProc = MainProc;
  main.hInstance = instance;
  main.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  main.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  main.lpszClassName = kMainClass;
  // The program's icon (resource 1) in the title bar and the task bar; a
  // program without one (the tests) keeps the system's default.
  main.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                             GetSystemMetrics(SM_CYICON), 0));
  main.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  if (!RegisterClassExW(&main) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw std::runtime_error("Cannot register the window class: " + SystemMessage(GetLastError()));
  HWND window = CreateWindowExW(kMainExStyle, kMainClass, L"", kMainStyle, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100,
                                nullptr, nullptr, instance, nullptr);
  if (!window) throw std::runtime_error("Cannot create the window: " + SystemMessage(GetLastError()));
  if (scale == 0) {
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    scale = DefaultScale(kPictureWidth, kPictureHeight, area.right - area.left, area.bottom - area.top);
  }
  main_ = std::make_unique<Win32MainWindow>(window, scale);
  theHost = this;
  pads_ = SystemPadSource();
  SetTimer(window, kPadTimer, kPadPollMs, nullptr);
  // The finest timer resolution for the 20 ms ticks and the multimedia clock.
  timeBeginPeriod(1);
}

Win32Host::~Win32Host() {
  waveOut_.reset();
  for (auto& [id, timer] : timers_) KillTimer(main_->Handle(), id);
  DestroyWindow(main_->Handle());
  theHost = nullptr;
  timeEndPeriod(1);
}

bool Win32Host::RegisterWindowClass(const std::string& className, WindowProc proc, std::uint32_t* lastError) {
  const std::wstring name = Widen(className);
  WNDCLASSW wc{};
  wc.lpfnWndProc = HiddenProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = name.c_str();
  if (!RegisterClassW(&wc)) {
    if (lastError) *lastError = GetLastError();
    return false;
  }
  if (lastError) *lastError = 0;
  procs_[name] = proc;
  return true;
}

WindowHandle Win32Host::CreateHiddenWindow(const std::string& className) {
  const std::wstring name = Widen(className);
  const auto found = procs_.find(name);
  if (found == procs_.end() || !found->second) return 0;
  HWND window = CreateWindowW(name.c_str(), L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr),
                              nullptr);
  if (!window) return 0;
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(found->second));
  return reinterpret_cast<WindowHandle>(window);
}

std::unique_ptr<Timer> Win32Host::CreateTimer(std::uint32_t intervalMs, bool enabled, std::function<void()> onTimer) {
  auto timer = std::make_unique<Win32Timer>(this, ++lastTimer_, intervalMs, std::move(onTimer));
  timers_[lastTimer_] = timer.get();
  timer->SetEnabled(enabled);
  return timer;
}

// One button: the system's message box, its OK renamed when a caption is
// given. More: a task dialog with a button for each caption, each as wide as
// its caption needs; it has no close box and Escape does nothing, so only a
// press chooses, and its default is the first. A stop request ends either
// with the first button.
int Win32Host::ShowMessageBox(const std::string& caption, const std::string& text, BoxIcon icon,
                              const std::vector<std::string>& buttons) {
  if (endingSession_ || StopRequested()) return 0;
  const HWND owner = IsWindowVisible(main_->Handle()) ? main_->Handle() : nullptr;
  ++openBoxes_;
  const int answer = buttons.size() > 1 ? ShowChoiceBox(owner, caption, text, icon, buttons)
                                        : ShowSystemBox(owner, caption, text, icon, buttons);
  --openBoxes_;
  main_->Refresh();
  return answer;
}

int Win32Host::ShowSystemBox(HWND owner, const std::string& caption, const std::string& text, BoxIcon icon,
                             const std::vector<std::string>& buttons) {
  BoxShown box;
  if (!buttons.empty()) box.caption = Widen(buttons.front());
  UINT style = MB_OK | MB_SETFOREGROUND | (owner ? MB_APPLMODAL : MB_TASKMODAL);
  if (icon == BoxIcon::Error) style |= MB_ICONERROR;
  BoxShown* const outer = boxShown;
  boxShown = &box;
  box.hook = SetWindowsHookExW(WH_CBT, BoxHook, nullptr, GetCurrentThreadId());
  // A thread timer, dispatched by the box's own loop.
  const UINT_PTR stopTimer = SetTimer(nullptr, 0, kStopPoll, [](HWND, UINT, UINT_PTR, DWORD) {
    BoxShown* shown = boxShown;
    if (shown && shown->window && theHost && theHost->StopRequested()) EndDialog(shown->window, IDOK);
  });
  MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), style);
  if (stopTimer) KillTimer(nullptr, stopTimer);
  if (box.hook) UnhookWindowsHookEx(box.hook);
  boxShown = outer;
  return 0;
}

HRESULT CALLBACK ChoiceNotice(HWND window, UINT notice, WPARAM, LPARAM, LONG_PTR) {
  if (notice == TDN_TIMER && theHost && theHost->StopRequested())
    SendMessageW(window, TDM_CLICK_BUTTON, kFirstChoice, 0);
  return S_OK;
}

int Win32Host::ShowChoiceBox(HWND owner, const std::string& caption, const std::string& text, BoxIcon icon,
                             const std::vector<std::string>& buttons) {
  const std::wstring title = Widen(caption), content = Widen(text);
  std::vector<std::wstring> labels;
  std::vector<TASKDIALOG_BUTTON> choices;
  for (const std::string& button : buttons) labels.push_back(Widen(button));
  for (std::size_t i = 0; i < labels.size(); ++i) choices.push_back({kFirstChoice + int(i), labels[i].c_str()});
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  config.hwndParent = owner;
  // The timer notice comes about every 200 ms: the stop request's poll.
  config.dwFlags = TDF_CALLBACK_TIMER | TDF_POSITION_RELATIVE_TO_WINDOW;
  config.pszWindowTitle = title.c_str();
  config.pszContent = content.c_str();
  if (icon == BoxIcon::Error) config.pszMainIcon = TD_ERROR_ICON;
  config.cButtons = UINT(choices.size());
  config.pButtons = choices.data();
  config.nDefaultButton = kFirstChoice;
  config.pfCallback = ChoiceNotice;
  int pressed = kFirstChoice;
  // Without the common controls' task dialog, the text still reaches the
  // player, in the system's box with its first button.
  if (FAILED(TaskDialogIndirect(&config, &pressed, nullptr, nullptr)))
    return ShowSystemBox(owner, caption, text, icon, {buttons.front()});
  return pressed >= kFirstChoice && pressed < kFirstChoice + int(choices.size()) ? pressed - kFirstChoice : 0;
}

int Win32Host::Run() {
  if (main_->Closed() || StopRequested()) return 0;
  const HWND window = main_->Handle();
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  UpdateWindow(window);
  MSG message;
  while (!main_->Closed() && !StopRequested()) {
    MsgWaitForMultipleObjectsEx(0, nullptr, kStopPoll, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    while (!main_->Closed() && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return 0;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return 0;
}

LRESULT Win32Host::MainMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!main_ || window != main_->Handle()) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      main_->Paint(dc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // the paint covers the whole client area
    case WM_TIMER: {
      if (wParam == kPadTimer) {
        PollPads();
        AfterEvent();
        return 0;
      }
      const auto found = timers_.find(wParam);
      if (found != timers_.end()) found->second->Fire();
      AfterEvent();
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      const MouseButton button = message == WM_LBUTTONDOWN   ? MouseButton::Left
                                 : message == WM_RBUTTONDOWN ? MouseButton::Right
                                                             : MouseButton::Middle;
      main_->PressAt(short(LOWORD(lParam)), short(HIWORD(lParam)), button);
      AfterEvent();
      return 0;
    }
    case WM_KEYDOWN: {
      // The game's keys, once per press (a held key's repeats are not).
      if (lParam & (1 << 30)) return 0;
      Key key;
      switch (wParam) {
        case VK_SPACE: key = Key::Space; break;
        case VK_RETURN: key = Key::Enter; break;
        case VK_LEFT: key = Key::Left; break;
        case VK_RIGHT: key = Key::Right; break;
        case 'A': key = Key::A; break;
        case 'D': key = Key::D; break;
        case 'M': key = Key::M; break;
        case VK_F11:
          main_->ToggleFullScreen();
          return 0;
        default: return 0;
      }
      main_->KeyPress(key);
      AfterEvent();
      return 0;
    }
    case WM_SYSKEYDOWN:
      if (wParam == VK_RETURN && (lParam & (1 << 29))) {
        if (!(lParam & (1 << 30))) main_->ToggleFullScreen();
        return 0;
      }
      return DefWindowProcW(window, message, wParam, lParam);
    case WM_SYSCHAR:
      if (wParam == L'\r') return 0;  // Alt+Enter was ours: no beep
      return DefWindowProcW(window, message, wParam, lParam);
    case WM_SIZE:
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_CLOSE:
      if (openBoxes_ == 0) main_->Close();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // The session ends: the record is saved as at a close, without the
      // box; the system ends the process once this returns.
      if (wParam && !main_->Closed() && openBoxes_ == 0) {
        endingSession_ = true;
        main_->Close();
      }
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

void SetPadSource(Host& host, PadSource source) { dynamic_cast<Win32Host&>(host).SetPads(std::move(source)); }

std::unique_ptr<Host> CreateWin32Host(const std::string& programFolder, int scale) {
  return std::make_unique<Win32Host>(programFolder, scale);
}

}  // namespace platform::win32
