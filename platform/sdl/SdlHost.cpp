// The real event loop on SDL. Timers are scheduled here rather than with
// SDL_AddTimer: SDL's timer thread would keep the queue busy for ever at
// 20 ms, so the loop waits until the earliest due time (or the next event),
// drains the queue and then fires what is due, in creation order. A late
// timer fires once and keeps its phase, skipping missed periods, so ticks
// never pile up behind a slow handler or a modal box.
#include "platform/sdl/SdlHost.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "platform/MessageWindows.h"
#include "platform/MidiPlayer.h"
#include "platform/Picture.h"
#include "platform/Scaling.h"
#include "platform/WaveOut.h"
#include "platform/sdl/Fonts.h"
#include "platform/sdl/SdlMessageBox.h"
#include "platform/sdl/SdlMidiPlayer.h"
#include "platform/sdl/SdlPictureView.h"
#include "platform/Gamepad.h"
#include "platform/sdl/SdlProbe.h"
#include "platform/sdl/SdlWaveOut.h"
#ifdef __EMSCRIPTEN__
#include "platform/web/WebPage.h"
#else
#include "platform/sdl/X11Errors.h"
#endif

namespace platform::sdl {
namespace {

// Never sleep longer than this, so a lost wake-up costs little.
constexpr Uint32 kMaxWaitMs = 20;
// Events handled per turn of the loop before due timers get their go, so a
// handler that keeps posting to itself cannot starve them.
constexpr int kMaxEventsPerTurn = 256;
// The picture area of the main window; presses outside it reach nobody.
constexpr int kPictureWidth = 400, kPictureHeight = 300;
constexpr int kLaidOutWidth = 401, kLaidOutHeight = 301;

class SdlHost;

class SdlTimer final : public Timer {
 public:
  SdlTimer(SdlHost* host, std::uint32_t interval, bool enabled, std::function<void()> onTimer);
  ~SdlTimer() override;
  void SetEnabled(bool enabled) override;
  bool Enabled() const override { return enabled_; }
  std::uint32_t Interval() const override { return interval_; }

  SdlHost* host_;
  const std::uint32_t interval_;
  bool enabled_ = false;
  std::uint64_t nextDue_ = 0;
  std::function<void()> onTimer_;
};

class SdlMainWindow final : public MainWindow {
 public:
  SdlMainWindow() : view_("", kLaidOutWidth, kLaidOutHeight) {}

  void SetCaption(const std::string& utf8) override { view_.SetTitle(utf8); }
  void SetClientSize(int width, int height) override { view_.SetSize(width, height); }
  void SetPicture(const Picture* picture) override {
    picture_ = picture;
    view_.SetPicture(picture);
  }
  void Close() override;
  bool Closed() const override { return closed_; }

  // Shown centred at `scale` (0: the display's default), resizable.
  void Show(int scale) {
    if (scale == 0) {
      SDL_Rect usable{};
      const int display = std::max(0, SDL_GetWindowDisplayIndex(view_.Window()));
      scale = SDL_GetDisplayUsableBounds(display, &usable) == 0
                  ? DefaultScale(kPictureWidth, kPictureHeight, usable.w, usable.h)
                  : kMinScale;
    }
    view_.SetScale(scale);
    view_.SetResizable(true);
    view_.ShowCentred();
  }
  // A press at window pixel (x, y), through the scaling to the client area.
  void PressAt(int windowX, int windowY, MouseButton button) {
    int x = 0, y = 0;
    if (view_.ToClient(windowX, windowY, &x, &y)) Press(x, y, button);
  }
  void Press(int x, int y, MouseButton button) {
    const int right = picture_ ? std::min(picture_->Width(), kPictureWidth) : kPictureWidth;
    const int bottom = picture_ ? std::min(picture_->Height(), kPictureHeight) : kPictureHeight;
    if (closed_ || !view_.Shown() || x < 0 || y < 0 || x >= right || y >= bottom) return;
    if (onMouseDown) onMouseDown(x, y, button);
  }
  void KeyPress(Key key) {
    if (!closed_ && view_.Shown() && onKey) onKey(key);
  }

  SdlPictureView& View() { return view_; }

 private:
  SdlPictureView view_;
  const Picture* picture_ = nullptr;
  bool closed_ = false;
};

class SdlHost final : public Host {
 public:
  SdlHost(std::string folder, int scale);
  ~SdlHost() override;

  std::uint32_t Milliseconds() override { return SDL_GetTicks(); }
  bool RegisterWindowClass(const std::string& className, WindowProc proc, std::uint32_t* lastError) override {
    return windows_.RegisterWindowClass(className, proc, lastError);
  }
  WindowHandle CreateHiddenWindow(const std::string& className) override {
    return windows_.CreateHiddenWindow(className);
  }
  void DestroyHiddenWindow(WindowHandle window) override { windows_.DestroyHiddenWindow(window); }
  bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
    return windows_.Post(window, message, wParam, lParam);
  }
  std::unique_ptr<Timer> CreateTimer(std::uint32_t intervalMs, bool enabled, std::function<void()> onTimer) override;
  MainWindow& Main() override { return *main_; }
  int ShowMessageBox(const std::string& caption, const std::string& text, BoxIcon icon,
                     const std::vector<std::string>& buttons = {}) override;
  int Run() override;
  WaveOut& WaveOutDevice() override;
  std::unique_ptr<MidiPlayer> CreateMidiPlayer() override { return CreateSdlMidiPlayer(*this); }
  std::string ProgramFolder() override { return folder_; }
  void ApplyMuted(bool muted) override {
    SetSoundMuted(muted);
#ifdef __EMSCRIPTEN__
    // The page's music is not mixed into SDL's sound: the page mutes it.
    web::PageMuted(muted);
#endif
  }

  void AddTimer(SdlTimer* timer) { timers_.push_back(timer); }
  void RemoveTimer(SdlTimer* timer);
  bool BoxOpen() const { return !boxes_.empty(); }
  int OpenBoxes() const { return int(boxes_.size()); }
  SdlMainWindow& MainImpl() { return *main_; }

 private:
  // One turn of the loop: wait for an event or the next due timer, handle
  // what is queued, fire what is due, redraw what changed.
  void Turn();
  void Dispatch(const SDL_Event& event);
  void DispatchKey(const SDL_KeyboardEvent& key);
  void DispatchPad(const SDL_Event& event);
  void FireDueTimers();
  std::uint64_t EarliestDue() const;
  TTF_Font* BoxFont();

  std::string folder_;
  int scale_ = 0;
  Uint32 postedEventType_ = 0;

  // Post runs on the audio thread too; each message queued there wakes the
  // loop with one event of postedEventType_, which dispatches one message.
  MessageWindows windows_;

  // Creation order. A timer destroyed while timers fire leaves a hole that is
  // swept once no firing is in progress (firing nests inside modal boxes).
  std::vector<SdlTimer*> timers_;
  int firingDepth_ = 0;
  bool timerHoles_ = false;

  std::unique_ptr<SdlMainWindow> main_;
  std::vector<SdlMessageBox*> boxes_;  // innermost last
  std::unique_ptr<WaveOut> waveOut_;

  // Gamepads, through SDL's game controller API: opened as they come, read
  // as one pad.
  bool padsReady_ = false;
  std::vector<SDL_GameController*> pads_;
  bool dpadLeft_ = false, dpadRight_ = false, south_ = false;
  int stickX_ = 0;
  PadPresses padPresses_;
};

SdlTimer::SdlTimer(SdlHost* host, std::uint32_t interval, bool enabled, std::function<void()> onTimer)
    : host_(host), interval_(interval), onTimer_(std::move(onTimer)) {
  host_->AddTimer(this);
  SetEnabled(enabled);
}

SdlTimer::~SdlTimer() {
  if (host_) host_->RemoveTimer(this);
}

void SdlTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (enabled) nextDue_ = SDL_GetTicks64() + std::max<std::uint32_t>(interval_, 1);
}

void SdlMainWindow::Close() {
  if (closed_ || !QueryClose()) return;
  closed_ = true;
  view_.Hide();
}

SdlHost::SdlHost(std::string folder, int scale) : folder_(std::move(folder)), scale_(scale) {
  if (folder_.empty() || folder_.back() != '/') folder_ += '/';
  // A refused close must leave nothing behind: without this SDL follows the
  // close of its last window with a quit event.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  // SIGINT and SIGTERM are the program's (see Host::SetStopCheck): SDL would
  // turn them into a quit event, that is a close with its query and box.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // Crisp pixels when the picture is enlarged.
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  // Our windows draw with the software renderer into the window's own
  // framebuffer (XShm on X11). Left to itself SDL backs that framebuffer
  // with an OpenGL texture, which on a machine without a GPU means Mesa's
  // llvmpipe: some 55 MB of LLVM and two more threads to copy 400 x 300.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
#ifndef __EMSCRIPTEN__
  // Boxes come and go while the sound thread wakes the loop: see X11Errors.h.
  IgnoreWakeUpsForGoneWindows();
#endif
  if (SDL_Init(SDL_INIT_VIDEO) != 0) throw std::runtime_error(SDL_GetError());
  // Without gamepad support the game goes on with keys and presses.
  padsReady_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
  try {
    postedEventType_ = SDL_RegisterEvents(1);
    if (postedEventType_ == Uint32(-1)) throw std::runtime_error(SDL_GetError());
    main_ = std::make_unique<SdlMainWindow>();
    windows_.SetWakeUp([type = postedEventType_] {
      SDL_Event event{};
      event.type = type;
      return SDL_PushEvent(&event) == 1;
    });
  } catch (...) {
    SDL_Quit();
    throw;
  }
}

SdlHost::~SdlHost() {
  for (SdlTimer* timer : timers_)
    if (timer) timer->host_ = nullptr;
  waveOut_.reset();  // it may hold the audio device, which SDL_Quit tears down
  for (SDL_GameController* pad : pads_) SDL_GameControllerClose(pad);
  main_.reset();
  SDL_Quit();
}

std::unique_ptr<Timer> SdlHost::CreateTimer(std::uint32_t intervalMs, bool enabled, std::function<void()> onTimer) {
  return std::make_unique<SdlTimer>(this, intervalMs, enabled, std::move(onTimer));
}

void SdlHost::RemoveTimer(SdlTimer* timer) {
  const auto found = std::find(timers_.begin(), timers_.end(), timer);
  if (found == timers_.end()) return;
  if (firingDepth_ == 0) {
    timers_.erase(found);
  } else {
    *found = nullptr;
    timerHoles_ = true;
  }
}

WaveOut& SdlHost::WaveOutDevice() {
  if (!waveOut_) waveOut_ = CreateSdlWaveOut(*this);
  return *waveOut_;
}

// The very font Picture draws the box's text with.
TTF_Font* SdlHost::BoxFont() { return TextFont(SdlMessageBox::BoxFontPoints, TTF_STYLE_NORMAL); }

int SdlHost::ShowMessageBox(const std::string& caption, const std::string& text, BoxIcon icon,
                            const std::vector<std::string>& buttons) {
#ifdef __EMSCRIPTEN__
  // The browser has one canvas, the main window's: the box is the page's,
  // over the picture, and takes the presses and keys while it is open. Its
  // one button is the first of `buttons`.
  (void)buttons;
  const int pageBox = web::OpenBox(caption, text, icon == BoxIcon::Error);
  while (!web::BoxConfirmed(pageBox) && !StopRequested()) Turn();
  return 0;
#else
  // Boxes grow with the main window; before it is shown, with its scale.
  SdlPictureView& view = main_->View();
  const int factor = view.Shown() ? view.ShownFactor() : std::max(scale_, kMinScale);
  SdlMessageBox box(caption, text, icon, BoxFont(), buttons, factor);
  boxes_.push_back(&box);
  struct Pop {
    std::vector<SdlMessageBox*>& boxes;
    SdlMessageBox* box;
    ~Pop() { boxes.erase(std::find(boxes.begin(), boxes.end(), box)); }
  } pop{boxes_, &box};
  while (!box.Confirmed() && !StopRequested()) Turn();
  // Give the keyboard back to the window the box was in front of.
  if (boxes_.size() == 1 && main_->View().Shown()) main_->View().Focus();
  return std::max(box.Chosen(), 0);
#endif
}

int SdlHost::Run() {
  if (main_->Closed()) return 0;
  main_->Show(scale_);
  while (!main_->Closed() && !StopRequested()) Turn();
  return 0;
}

std::uint64_t SdlHost::EarliestDue() const {
  std::uint64_t due = UINT64_MAX;
  for (const SdlTimer* timer : timers_)
    if (timer && timer->enabled_) due = std::min(due, timer->nextDue_);
  return due;
}

void SdlHost::Turn() {
  const std::uint64_t now = SDL_GetTicks64();
  const std::uint64_t due = EarliestDue();
  const Uint32 wait = due <= now ? 0 : Uint32(std::min<std::uint64_t>(due - now, kMaxWaitMs));
  SDL_Event event;
  const bool got = wait > 0 ? SDL_WaitEventTimeout(&event, int(wait)) == 1 : SDL_PollEvent(&event) == 1;
  if (got) {
    Dispatch(event);
    for (int handled = 1; handled < kMaxEventsPerTurn && SDL_PollEvent(&event); ++handled) Dispatch(event);
  }
  FireDueTimers();
  main_->View().Refresh();
  for (SdlMessageBox* box : boxes_) box->Refresh();
}

void SdlHost::FireDueTimers() {
  const std::uint64_t now = SDL_GetTicks64();
  ++firingDepth_;
  struct Leave {
    int& depth;
    ~Leave() { --depth; }
  } leave{firingDepth_};
  // By index: handlers may create timers (appended) or destroy them (holes).
  for (std::size_t i = 0; i < timers_.size(); ++i) {
    SdlTimer* timer = timers_[i];
    if (!timer || !timer->enabled_ || timer->nextDue_ > now) continue;
    const std::uint64_t period = std::max<std::uint32_t>(timer->interval_, 1);
    timer->nextDue_ += ((now - timer->nextDue_) / period + 1) * period;
    if (timer->onTimer_) timer->onTimer_();
  }
  if (firingDepth_ == 1 && timerHoles_) {
    timers_.erase(std::remove(timers_.begin(), timers_.end(), nullptr), timers_.end());
    timerHoles_ = false;
  }
}

void SdlHost::Dispatch(const SDL_Event& event) {
  if (event.type == postedEventType_) {
    windows_.Dispatch(1);
    return;
  }
  const Uint32 mainId = main_->View().Id();
  switch (event.type) {
    case SDL_QUIT:
      if (!BoxOpen()) main_->Close();
      break;
    case SDL_WINDOWEVENT:
      if (event.window.windowID == mainId) {
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
          if (!BoxOpen()) main_->Close();
        } else if (event.window.event == SDL_WINDOWEVENT_EXPOSED || event.window.event == SDL_WINDOWEVENT_SHOWN ||
                   event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
          main_->View().Invalidate();
        }
        break;
      }
      for (SdlMessageBox* box : boxes_) {
        if (box->WindowId() != event.window.windowID) continue;
        // Only the innermost box may be closed; the others wait their turn.
        if (event.window.event != SDL_WINDOWEVENT_CLOSE || box == boxes_.back()) box->HandleWindowEvent(event);
      }
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (BoxOpen()) {
        if (event.button.windowID == boxes_.back()->WindowId()) boxes_.back()->HandleWindowEvent(event);
      } else if (event.type == SDL_MOUSEBUTTONDOWN && event.button.windowID == mainId) {
        switch (event.button.button) {
          case SDL_BUTTON_LEFT: main_->PressAt(event.button.x, event.button.y, MouseButton::Left); break;
          case SDL_BUTTON_RIGHT: main_->PressAt(event.button.x, event.button.y, MouseButton::Right); break;
          case SDL_BUTTON_MIDDLE: main_->PressAt(event.button.x, event.button.y, MouseButton::Middle); break;
          default: break;
        }
      }
      break;
    case SDL_KEYDOWN:
      DispatchKey(event.key);
      break;
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMOVED:
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
    case SDL_CONTROLLERAXISMOTION:
      DispatchPad(event);
      break;
    default:
      break;
  }
}

// The d-pad or the left stick answer like Left and Right, the south button
// is Key::PadSouth; while a box is open a pad does nothing, so it never
// confirms the close.
void SdlHost::DispatchPad(const SDL_Event& event) {
  switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED:
      if (padsReady_)
        if (SDL_GameController* pad = SDL_GameControllerOpen(event.cdevice.which)) pads_.push_back(pad);
      return;
    case SDL_CONTROLLERDEVICEREMOVED:
      for (auto pad = pads_.begin(); pad != pads_.end(); ++pad) {
        if (SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(*pad)) != event.cdevice.which) continue;
        SDL_GameControllerClose(*pad);
        pads_.erase(pad);
        break;
      }
      return;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
      const bool down = event.type == SDL_CONTROLLERBUTTONDOWN;
      switch (event.cbutton.button) {
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT: dpadLeft_ = down; break;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: dpadRight_ = down; break;
        case SDL_CONTROLLER_BUTTON_A: south_ = down; break;
        default: return;
      }
      break;
    }
    case SDL_CONTROLLERAXISMOTION:
      if (event.caxis.axis != SDL_CONTROLLER_AXIS_LEFTX) return;
      stickX_ = event.caxis.value;
      break;
    default:
      return;
  }
  padPresses_.Update(ReadPad(dpadLeft_, dpadRight_, stickX_, south_), [this](Key key) {
    if (!BoxOpen()) main_->KeyPress(key);
  });
}

// Space and Enter press the main window's focused button. While a box is
// open they confirm it, whichever of our windows has the keyboard: without a
// window manager the focus need not have moved to the box. F11 and Alt+Enter
// switch the main window to fullscreen and back.
void SdlHost::DispatchKey(const SDL_KeyboardEvent& key) {
  if (key.repeat) return;
  const bool alt = (key.keysym.mod & KMOD_ALT) != 0;
  if (key.keysym.sym == SDLK_F11 || (alt && (key.keysym.sym == SDLK_RETURN || key.keysym.sym == SDLK_KP_ENTER))) {
    if (!BoxOpen()) main_->View().ToggleFullscreen();
    return;
  }
  Key pressed;
  switch (key.keysym.sym) {
    case SDLK_SPACE: pressed = Key::Space; break;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: pressed = Key::Enter; break;
    case SDLK_LEFT: pressed = Key::Left; break;
    case SDLK_RIGHT: pressed = Key::Right; break;
    case SDLK_a: pressed = Key::A; break;
    case SDLK_d: pressed = Key::D; break;
    case SDLK_m: pressed = Key::M; break;
    default: return;
  }
  if (BoxOpen()) {
    if (pressed == Key::Space || pressed == Key::Enter) boxes_.back()->Confirm();
  } else if (key.windowID == main_->View().Id()) {
    main_->KeyPress(pressed);
  }
}

SdlHost& AsSdl(Host& host) { return dynamic_cast<SdlHost&>(host); }

void Push(SDL_Event& event) {
  if (SDL_PushEvent(&event) < 0) throw std::runtime_error(SDL_GetError());
}

}  // namespace

std::unique_ptr<Host> CreateSdlHost(const std::string& programFolder, int scale) {
  return std::make_unique<SdlHost>(programFolder, scale);
}

MainWindowState ProbeMainWindow(Host& host) {
  SdlMainWindow& main = AsSdl(host).MainImpl();
  int w = 0, h = 0;
  SDL_GetWindowSize(main.View().Window(), &w, &h);
  const char* title = SDL_GetWindowTitle(main.View().Window());
  return MainWindowState{main.View().Shown(), w, h, title ? title : ""};
}

Color ProbeMainWindowPixel(Host& host, int x, int y) { return AsSdl(host).MainImpl().View().ReadPixel(x, y); }

int ProbeOpenBoxes(Host& host) { return AsSdl(host).OpenBoxes(); }

void PushPadButton(Host& host, int button) {
  (void)AsSdl(host);
  SDL_Event event{};
  event.cbutton.type = SDL_CONTROLLERBUTTONDOWN;
  event.cbutton.button = Uint8(button);
  event.cbutton.state = SDL_PRESSED;
  Push(event);
  event.cbutton.type = SDL_CONTROLLERBUTTONUP;
  event.cbutton.state = SDL_RELEASED;
  Push(event);
}

void PushPadStick(Host& host, int x) {
  (void)AsSdl(host);
  SDL_Event event{};
  event.caxis.type = SDL_CONTROLLERAXISMOTION;
  event.caxis.axis = SDL_CONTROLLER_AXIS_LEFTX;
  event.caxis.value = Sint16(x);
  Push(event);
}

void PushKeyPress(Host& host, Key key) {
  SDL_Event event{};
  event.key.type = SDL_KEYDOWN;
  event.key.windowID = AsSdl(host).MainImpl().View().Id();
  event.key.state = SDL_PRESSED;
  switch (key) {
    case Key::Space: event.key.keysym.sym = SDLK_SPACE; break;
    case Key::Enter: event.key.keysym.sym = SDLK_RETURN; break;
    case Key::Left: event.key.keysym.sym = SDLK_LEFT; break;
    case Key::Right: event.key.keysym.sym = SDLK_RIGHT; break;
    case Key::A: event.key.keysym.sym = SDLK_a; break;
    case Key::D: event.key.keysym.sym = SDLK_d; break;
    case Key::M: event.key.keysym.sym = SDLK_m; break;
    case Key::PadSouth:
      PushPadButton(host, SDL_CONTROLLER_BUTTON_A);
      return;
  }
  event.key.keysym.scancode = SDL_GetScancodeFromKey(event.key.keysym.sym);
  Push(event);
  event.key.type = SDL_KEYUP;
  event.key.state = SDL_RELEASED;
  Push(event);
}

void PushMouseDown(Host& host, int x, int y, MouseButton button) {
  SDL_Event event{};
  event.button.type = SDL_MOUSEBUTTONDOWN;
  event.button.windowID = AsSdl(host).MainImpl().View().Id();
  event.button.button = button == MouseButton::Left    ? SDL_BUTTON_LEFT
                        : button == MouseButton::Right ? SDL_BUTTON_RIGHT
                                                       : SDL_BUTTON_MIDDLE;
  event.button.state = SDL_PRESSED;
  event.button.clicks = 1;
  event.button.x = x;
  event.button.y = y;
  Push(event);
  event.button.type = SDL_MOUSEBUTTONUP;
  event.button.state = SDL_RELEASED;
  Push(event);
}

void PushCloseRequest(Host& host) {
  SDL_Event event{};
  event.window.type = SDL_WINDOWEVENT;
  event.window.windowID = AsSdl(host).MainImpl().View().Id();
  event.window.event = SDL_WINDOWEVENT_CLOSE;
  Push(event);
}

}  // namespace platform::sdl
