#include "platform/win32/Win32MixerHost.h"

#include <windows.h>
#include <mmsystem.h>

#include "platform/WaveOut.h"
#include "platform/win32/Win32WaveOut.h"

namespace platform::win32 {

Win32MixerHost::Win32MixerHost(std::string folder) : WindowlessMixerHost(std::move(folder), '\\') {
  timeBeginPeriod(1);
}

Win32MixerHost::~Win32MixerHost() {
  waveOut_.reset();
  timeEndPeriod(1);
}

platform::WaveOut& Win32MixerHost::WaveOutDevice() {
  if (!waveOut_) waveOut_ = CreateWin32WaveOut(*this);
  return *waveOut_;
}

std::uint32_t Win32MixerHost::Milliseconds() { return timeGetTime(); }

}  // namespace platform::win32
