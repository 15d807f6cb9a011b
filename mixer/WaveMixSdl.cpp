#include "mixer/WaveMixSdl.h"

#include <SDL.h>

#include <map>
#include <memory>

#include "mixer/Session.h"
#include "platform/sdl/SdlMixerHost.h"

namespace mixer {

namespace {

constexpr char kNotifyClass[] = "WaveMixSdlEnd";

std::unique_ptr<platform::sdl::SdlMixerHost> device;
std::map<platform::WindowHandle, WaveMixEndHandler> endHandlers;
std::uint32_t eventType = 0;

void NotifyWindowProc(platform::WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                      std::intptr_t lParam) {
  if (message != platform::mm::kWomDone) return;
  const auto handler = endHandlers.find(window);
  if (handler != endHandlers.end()) handler->second(int(wParam), reinterpret_cast<MixWave*>(lParam));
}

}  // namespace

void WaveMixOpenSdlDevice(const std::string& configFolder) {
  if (device) throw EWaveMixError("The SDL device is already open");
  device = std::make_unique<platform::sdl::SdlMixerHost>(configFolder.empty() ? "./" : configFolder);
  WaveMixSetHost(device.get());
}

void WaveMixCloseSdlDevice() {
  if (!device) return;
  if (currentSession) {
    try {
      WaveMixEndSession(currentSession);
    } catch (const EWaveMixError&) {
    }
  }
  for (const auto& [window, handler] : endHandlers) device->DestroyHiddenWindow(window);
  endHandlers.clear();
  WaveMixSetHost(nullptr);
  device.reset();
  eventType = 0;
}

int WaveMixPump(int waitMs) {
  if (!device) return 0;
  return int(device->WaitAndDispatch(waitMs < 0 ? 0 : waitMs));
}

std::uint32_t WaveMixSdlEventType() {
  if (!device) return 0;
  if (eventType) return eventType;
  const Uint32 registered = SDL_RegisterEvents(1);
  if (registered == Uint32(-1)) return 0;
  eventType = registered;
  device->SetWakeUp([type = registered] {
    SDL_Event event{};
    event.type = type;
    SDL_PushEvent(&event);  // a full SDL queue drops it; the next report pushes again
    return true;
  });
  return eventType;
}

platform::WindowHandle WaveMixSdlNotifyWindow(WaveMixEndHandler onEnd) {
  if (!device) return 0;
  device->RegisterWindowClass(kNotifyClass, NotifyWindowProc, nullptr);
  const platform::WindowHandle window = device->CreateHiddenWindow(kNotifyClass);
  if (window) endHandlers[window] = onEnd;
  return window;
}

}  // namespace mixer
