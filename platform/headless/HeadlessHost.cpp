#include "platform/headless/HeadlessHost.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "platform/Json.h"
#include "platform/MediaError.h"
#include "platform/MessageWindows.h"
#include "platform/MidiPlayer.h"
#include "platform/PlainFile.h"
#include "platform/WaveOut.h"
#include "platform/headless/VirtualWaveOut.h"

namespace platform::headless {
namespace {

// A timer's state, shared by the Timer object and the host's list so that a
// handler may destroy its own timer while it runs.
struct TimerState {
  std::uint64_t intervalMicros = 0;
  std::uint64_t dueMicros = kNoEventMicros;  // kNoEventMicros while disabled
  std::function<void()> onTimer;
  bool registered = true;  // false once the Timer object or the host is gone
};

class HeadlessMainWindow : public MainWindow {
 public:
  void SetCaption(const std::string& utf8) override { caption = utf8; }
  void SetClientSize(int w, int h) override {
    width = w;
    height = h;
  }
  void SetPicture(const Picture* p) override { picture = p; }
  // Unlike the real windows, a closed window asks again: the runner's script
  // may close it more than once.
  void Close() override {
    if (!QueryClose()) return;
    closed = true;
  }
  bool Closed() const override { return closed; }

  std::string caption;
  int width = 0;
  int height = 0;
  const Picture* picture = nullptr;
  bool closed = false;
};

class HeadlessMidiPlayer : public MidiPlayer {
 public:
  explicit HeadlessMidiPlayer(HeadlessHost& host) : host_(host) {}

  void SetFileName(const std::string& path) override { fileName_ = path; }

  void Open() override {
    Close();
    std::string reason;
    const std::unique_ptr<PlainFile> file = PlainFile::Open(fileName_, kMidiFileLimit, reason);
    if (!file) RefuseMedia(fileName_, "the music cannot be read (" + reason + ")");
    char magic[4] = {};
    if (file->ReadAt(0, magic, 4) != 4 || std::string_view(magic, 4) != "MThd") RefuseMedia(fileName_, "not a MIDI file");
    openName_ = fileName_;
    open_ = true;
  }

  void Play() override {
    if (!open_) return;
    std::size_t slash = openName_.find_last_of("/\\");
    std::string base = slash == std::string::npos ? openName_ : openName_.substr(slash + 1);
    host_.Trace("{\"music\":" + JsonString(base) + "}");
  }

  void Close() override {
    open_ = false;
    openName_.clear();
  }

 private:
  HeadlessHost& host_;
  std::string fileName_;
  std::string openName_;
  bool open_ = false;
};

}  // namespace

struct HeadlessHost::Impl {
  std::string folder;
  std::uint64_t now = 0;

  MessageWindows windows;

  // In creation order, which is the firing order at equal instants.
  std::vector<std::shared_ptr<TimerState>> timers;
  std::vector<TimedSource*> sources;

  HeadlessMainWindow main;
  std::unique_ptr<WaveOut> waveOut;
  std::function<void(const std::string&)> sink;
  std::vector<std::string> traced;
};

namespace {

class HeadlessTimer : public Timer {
 public:
  HeadlessTimer(std::shared_ptr<TimerState> state, const std::uint64_t& now)
      : state_(std::move(state)), now_(now) {}
  ~HeadlessTimer() override { state_->registered = false; }

  void SetEnabled(bool enabled) override {
    if (!enabled) {
      state_->dueMicros = kNoEventMicros;
    } else if (state_->dueMicros == kNoEventMicros && state_->registered) {
      state_->dueMicros = now_ + state_->intervalMicros;
    }
  }
  bool Enabled() const override { return state_->dueMicros != kNoEventMicros; }
  std::uint32_t Interval() const override {
    return static_cast<std::uint32_t>(state_->intervalMicros / 1000);
  }

 private:
  std::shared_ptr<TimerState> state_;
  // The host's clock; read only while the host lives (`registered`).
  const std::uint64_t& now_;
};

}  // namespace

HeadlessHost::HeadlessHost(std::string folder) : impl_(std::make_unique<Impl>()) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  impl_->folder = std::move(folder);
}

HeadlessHost::~HeadlessHost() {
  // The wave device may still be registered as a timed source.
  impl_->waveOut.reset();
  for (auto& timer : impl_->timers) timer->registered = false;
}

std::uint32_t HeadlessHost::Milliseconds() {
  return static_cast<std::uint32_t>(impl_->now / 1000);
}

bool HeadlessHost::RegisterWindowClass(const std::string& className, WindowProc proc,
                                       std::uint32_t* lastError) {
  return impl_->windows.RegisterWindowClass(className, proc, lastError);
}

WindowHandle HeadlessHost::CreateHiddenWindow(const std::string& className) {
  return impl_->windows.CreateHiddenWindow(className);
}

void HeadlessHost::DestroyHiddenWindow(WindowHandle window) { impl_->windows.DestroyHiddenWindow(window); }

bool HeadlessHost::Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam) {
  return impl_->windows.Post(window, message, wParam, lParam);
}

std::unique_ptr<Timer> HeadlessHost::CreateTimer(std::uint32_t intervalMs, bool enabled,
                                                 std::function<void()> onTimer) {
  auto state = std::make_shared<TimerState>();
  // An interval of 0 would fire forever at one instant.
  state->intervalMicros = std::uint64_t{std::max<std::uint32_t>(intervalMs, 1)} * 1000;
  state->onTimer = std::move(onTimer);
  // Forget timers whose objects are gone before adding one.
  std::erase_if(impl_->timers, [](const auto& t) { return !t->registered; });
  impl_->timers.push_back(state);
  auto timer = std::make_unique<HeadlessTimer>(std::move(state), impl_->now);
  if (enabled) timer->SetEnabled(true);
  return timer;
}

MainWindow& HeadlessHost::Main() { return impl_->main; }

int HeadlessHost::ShowMessageBox(const std::string& caption, const std::string& text, BoxIcon,
                                 const std::vector<std::string>& buttons) {
  std::string line = "{\"box\":";
  line += JsonString(caption);
  line += ",\"text\":";
  line += JsonString(text);
  if (buttons.size() > 1) {
    line += ",\"buttons\":[";
    for (std::size_t i = 0; i < buttons.size(); ++i) {
      if (i) line += ',';
      line += JsonString(buttons[i]);
    }
    line += ']';
  }
  line += '}';
  Trace(line);
  return 0;
}

int HeadlessHost::Run() {
  DispatchPosted();
  return 0;
}

WaveOut& HeadlessHost::WaveOutDevice() {
  if (!impl_->waveOut) impl_->waveOut = CreateVirtualWaveOut(*this);
  return *impl_->waveOut;
}

std::unique_ptr<MidiPlayer> HeadlessHost::CreateMidiPlayer() {
  return std::make_unique<HeadlessMidiPlayer>(*this);
}

std::string HeadlessHost::ProgramFolder() { return impl_->folder; }

void HeadlessHost::ApplyMuted(bool muted) { Trace(muted ? "{\"muted\":true}" : "{\"muted\":false}"); }

void HeadlessHost::Trace(const std::string& jsonLine) {
  if (impl_->sink) {
    impl_->sink(jsonLine);
  } else {
    impl_->traced.push_back(jsonLine);
  }
}

std::uint64_t HeadlessHost::NowMicros() const { return impl_->now; }

void HeadlessHost::AdvanceTo(std::uint64_t micros) {
  DispatchPosted();
  for (;;) {
    // The earliest event due by `micros`: sources win ties, then timers in
    // creation order (strict < keeps the first of equals).
    std::uint64_t best = kNoEventMicros;
    TimedSource* source = nullptr;
    std::shared_ptr<TimerState> timer;
    for (TimedSource* s : impl_->sources) {
      std::uint64_t at = s->NextEventMicros();
      if (at < best) {
        best = at;
        source = s;
      }
    }
    for (const auto& t : impl_->timers) {
      if (t->registered && t->dueMicros < best) {
        best = t->dueMicros;
        source = nullptr;
        timer = t;
      }
    }
    if (best == kNoEventMicros || best > micros) break;
    // A stop request (a quit signal) ends a long advance between two
    // events: one check is an atomic load, next to an event's handler.
    if (StopRequested()) return;

    // An instant already passed (a source late to report) runs now.
    impl_->now = std::max(impl_->now, best);
    if (source) {
      source->RunDue(impl_->now);
    } else {
      // The next period is set before the handler so that it may disable or
      // restart its own timer.
      timer->dueMicros = impl_->now + timer->intervalMicros;
      if (timer->onTimer) timer->onTimer();
    }
    DispatchPosted();
  }
  impl_->now = std::max(impl_->now, micros);
  DispatchPosted();
}

void HeadlessHost::AdvanceMs(std::uint64_t ms) { AdvanceTo(impl_->now + ms * 1000); }

void HeadlessHost::DispatchPosted() { impl_->windows.Dispatch(); }

void HeadlessHost::AddTimedSource(TimedSource* source) {
  if (std::find(impl_->sources.begin(), impl_->sources.end(), source) == impl_->sources.end()) {
    impl_->sources.push_back(source);
  }
}

void HeadlessHost::RemoveTimedSource(TimedSource* source) {
  std::erase(impl_->sources, source);
}

void HeadlessHost::SetWaveOut(std::unique_ptr<WaveOut> device) {
  impl_->waveOut = std::move(device);
}

void HeadlessHost::SetTraceSink(std::function<void(const std::string&)> sink) {
  impl_->sink = std::move(sink);
}

const std::vector<std::string>& HeadlessHost::Traced() const { return impl_->traced; }

void HeadlessHost::Press(int x, int y, MouseButton button) {
  if (!impl_->main.Closed() && impl_->main.onMouseDown) impl_->main.onMouseDown(x, y, button);
  DispatchPosted();
}

void HeadlessHost::KeyPress(Key key) {
  if (!impl_->main.Closed() && impl_->main.onKey) impl_->main.onKey(key);
  DispatchPosted();
}

const std::string& HeadlessHost::Caption() const { return impl_->main.caption; }
int HeadlessHost::ClientWidth() const { return impl_->main.width; }
int HeadlessHost::ClientHeight() const { return impl_->main.height; }
const Picture* HeadlessHost::ShownPicture() const { return impl_->main.picture; }

}  // namespace platform::headless
