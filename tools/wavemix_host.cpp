#include "tools/wavemix_host.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <iostream>
#include <map>
#include <mutex>

#include "platform/MidiPlayer.h"
#include "platform/WaveOut.h"
#ifdef _WIN32
#include "platform/Files.h"
#include "platform/win32/Win32WaveOut.h"
#else
#include "platform/sdl/SdlWaveOut.h"
#endif

namespace wavemix {
namespace {

struct Posted {
  platform::WindowHandle window;
  std::uint32_t message;
  std::uintptr_t wParam;
  std::intptr_t lParam;
};

class IdleTimer : public platform::Timer {
 public:
  IdleTimer(std::uint32_t interval, bool enabled) : interval_(interval), enabled_(enabled) {}
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  bool Enabled() const override { return enabled_; }
  std::uint32_t Interval() const override { return interval_; }

 private:
  std::uint32_t interval_;
  bool enabled_;
};

class NoWindow : public platform::MainWindow {
 public:
  void SetCaption(const std::string&) override {}
  void SetClientSize(int, int) override {}
  void SetPicture(const platform::Picture*) override {}
  void Close() override { closed_ = true; }
  bool Closed() const override { return closed_; }

 private:
  bool closed_ = false;
};

}  // namespace

struct RealTimeHost::Impl {
  std::string folder;
  std::chrono::steady_clock::time_point origin = std::chrono::steady_clock::now();
  std::mutex mutex;
  std::condition_variable posted;
  std::map<std::string, platform::WindowProc> classes;
  std::map<platform::WindowHandle, platform::WindowProc> windows;
  platform::WindowHandle lastWindow = 0;
  std::deque<Posted> queue;
  NoWindow main;
  std::unique_ptr<platform::WaveOut> waveOut;
};

RealTimeHost::RealTimeHost(std::string folder) : impl_(std::make_unique<Impl>()) {
  if (folder.empty() || (folder.back() != '/' && folder.back() != '\\')) folder += '/';
  impl_->folder = std::move(folder);
}

RealTimeHost::~RealTimeHost() {
  impl_->waveOut.reset();
  if (platform::HasCurrent() && &platform::Current() == this) platform::SetCurrent(nullptr);
}

std::uint32_t RealTimeHost::Milliseconds() {
  return std::uint32_t(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - impl_->origin).count());
}

bool RealTimeHost::RegisterWindowClass(const std::string& className, platform::WindowProc proc,
                                       std::uint32_t* lastError) {
  std::lock_guard lock(impl_->mutex);
  if (!impl_->classes.emplace(className, proc).second) {
    if (lastError) *lastError = platform::kErrorClassAlreadyExists;
    return false;
  }
  return true;
}

platform::WindowHandle RealTimeHost::CreateHiddenWindow(const std::string& className) {
  std::lock_guard lock(impl_->mutex);
  const auto found = impl_->classes.find(className);
  if (found == impl_->classes.end()) return 0;
  impl_->windows[++impl_->lastWindow] = found->second;
  return impl_->lastWindow;
}

void RealTimeHost::DestroyHiddenWindow(platform::WindowHandle window) {
  std::lock_guard lock(impl_->mutex);
  impl_->windows.erase(window);
}

bool RealTimeHost::Post(platform::WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam) {
  {
    std::lock_guard lock(impl_->mutex);
    if (!impl_->windows.count(window)) return false;
    impl_->queue.push_back({window, message, wParam, lParam});
  }
  impl_->posted.notify_one();
  return true;
}

std::unique_ptr<platform::Timer> RealTimeHost::CreateTimer(std::uint32_t intervalMs, bool enabled,
                                                           std::function<void()>) {
  return std::make_unique<IdleTimer>(intervalMs, enabled);
}

platform::MainWindow& RealTimeHost::Main() { return impl_->main; }

void RealTimeHost::ShowMessageBox(const std::string& caption, const std::string& text, platform::BoxIcon) {
  std::cerr << caption << ": " << text << "\n";
}

int RealTimeHost::Run() {
  WaitAndDispatch(0);
  return 0;
}

platform::WaveOut& RealTimeHost::WaveOutDevice() {
#ifdef _WIN32
  if (!impl_->waveOut) impl_->waveOut = platform::win32::CreateWin32WaveOut(*this);
#else
  if (!impl_->waveOut) impl_->waveOut = platform::sdl::CreateSdlWaveOut(*this);
#endif
  return *impl_->waveOut;
}

std::unique_ptr<platform::MidiPlayer> RealTimeHost::CreateMidiPlayer() { return nullptr; }

std::string RealTimeHost::ProgramFolder() { return impl_->folder; }

void RealTimeHost::WaitAndDispatch(int ms) {
  std::unique_lock lock(impl_->mutex);
  impl_->posted.wait_for(lock, std::chrono::milliseconds(ms), [&] { return !impl_->queue.empty(); });
  while (!impl_->queue.empty()) {
    const Posted message = impl_->queue.front();
    impl_->queue.pop_front();
    const auto found = impl_->windows.find(message.window);
    if (found == impl_->windows.end()) continue;
    const platform::WindowProc proc = found->second;
    lock.unlock();
    proc(message.window, message.message, message.wParam, message.lParam);
    lock.lock();
  }
}

std::string ProgramFolderOfThisProcess() {
#ifdef _WIN32
  return platform::ExecutableFolder();
#endif
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return "./";
  return self.parent_path().string() + "/";
}

}  // namespace wavemix
