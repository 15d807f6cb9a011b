#include "platform/win32/Win32WaveOut.h"

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstring>
#include <map>

#include "platform/win32/Text.h"

namespace platform::win32 {
namespace {

static_assert(mm::kWomDone == MM_WOM_DONE && mm::kHeaderDone == WHDR_DONE && mm::kHeaderPrepared == WHDR_PREPARED &&
              mm::kHeaderInQueue == WHDR_INQUEUE && mm::kCapsSync == WAVECAPS_SYNC);
static_assert(mm::kStillPlaying == WAVERR_STILLPLAYING && mm::kUnprepared == WAVERR_UNPREPARED &&
              mm::kBadFormat == WAVERR_BADFORMAT && mm::kAllocated == MMSYSERR_ALLOCATED &&
              mm::kInvalidHandle == MMSYSERR_INVALHANDLE && mm::kNoDriver == MMSYSERR_NODRIVER);

// One open device: where its notices go and the system's header of each of
// our prepared blocks.
std::atomic<bool> muted{false};

struct Device {
  MixerHost* host = nullptr;
  std::uint8_t silence = 0;  // 0x80 for 8-bit samples
  WindowHandle window = 0;
  HWAVEOUT wave = nullptr;
  std::map<WaveHeader*, std::unique_ptr<WAVEHDR>> headers;
};

UINT DeviceId(int deviceId) { return deviceId == mm::kWaveMapper ? WAVE_MAPPER : UINT(deviceId); }

WAVEFORMATEX Format(const PcmWaveFormat& f) {
  WAVEFORMATEX wfx{};
  wfx.wFormatTag = f.formatTag;
  wfx.nChannels = f.channels;
  wfx.nSamplesPerSec = f.samplesPerSec;
  wfx.nAvgBytesPerSec = f.avgBytesPerSec;
  wfx.nBlockAlign = f.blockAlign;
  wfx.wBitsPerSample = f.bitsPerSample;
  wfx.cbSize = 0;
  return wfx;
}

// The device's thread. Only PostMessage-like calls are allowed here, and
// MixerHost::Post is one.
void CALLBACK Notice(HWAVEOUT wave, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR) {
  if (message != WOM_DONE) return;
  auto* device = reinterpret_cast<Device*>(instance);
  auto* system = reinterpret_cast<WAVEHDR*>(param1);
  auto* ours = reinterpret_cast<WaveHeader*>(system->dwUser);
  ours->flags.fetch_and(~mm::kHeaderInQueue);
  ours->flags.fetch_or(mm::kHeaderDone);
  if (device->window)
    device->host->Post(device->window, mm::kWomDone, reinterpret_cast<std::uintptr_t>(wave),
                       reinterpret_cast<std::intptr_t>(ours));
}

class Win32WaveOut final : public WaveOut {
 public:
  explicit Win32WaveOut(MixerHost& host) : host_(host) {}
  ~Win32WaveOut() override {
    for (auto& [handle, device] : devices_) {
      waveOutReset(device->wave);
      for (auto& [ours, system] : device->headers) waveOutUnprepareHeader(device->wave, system.get(), sizeof(WAVEHDR));
      waveOutClose(device->wave);
    }
  }

  std::uint32_t GetNumDevs() override { return waveOutGetNumDevs(); }

  MmResult GetDevCaps(int deviceId, WaveOutCaps* caps) override {
    WAVEOUTCAPSW system{};
    const MMRESULT result = waveOutGetDevCapsW(DeviceId(deviceId), &system, sizeof system);
    if (result != MMSYSERR_NOERROR) return result;
    std::memset(caps, 0, sizeof *caps);
    const std::string name = Narrow(std::wstring_view(system.szPname, wcsnlen(system.szPname, MAXPNAMELEN)));
    // Cut on a character boundary so the name stays valid UTF-8.
    std::size_t length = std::min(name.size(), sizeof caps->productName - 1);
    while (length > 0 && length < name.size() && (std::uint8_t(name[length]) & 0xC0) == 0x80) --length;
    std::memcpy(caps->productName, name.data(), length);
    caps->channels = system.wChannels;
    caps->support = system.dwSupport;
    return mm::kNoError;
  }

  MmResult QueryFormat(int deviceId, const PcmWaveFormat& format) override {
    WAVEFORMATEX wfx = Format(format);
    return waveOutOpen(nullptr, DeviceId(deviceId), &wfx, 0, 0, WAVE_FORMAT_QUERY);
  }

  MmResult Open(WaveOutHandle* handle, int deviceId, const PcmWaveFormat& format,
                WindowHandle callbackWindow) override {
    auto device = std::make_unique<Device>();
    device->host = &host_;
    device->window = callbackWindow;
    WAVEFORMATEX wfx = Format(format);
    device->silence = wfx.wBitsPerSample == 8 ? 0x80 : 0;
    const MMRESULT result = waveOutOpen(&device->wave, DeviceId(deviceId), &wfx, reinterpret_cast<DWORD_PTR>(&Notice),
                                        reinterpret_cast<DWORD_PTR>(device.get()), CALLBACK_FUNCTION);
    if (result != MMSYSERR_NOERROR) return result;
    const WaveOutHandle opened = reinterpret_cast<WaveOutHandle>(device->wave);
    devices_[opened] = std::move(device);
    *handle = opened;
    return mm::kNoError;
  }

  MmResult PrepareHeader(WaveOutHandle handle, WaveHeader* header) override {
    Device* device = Find(handle);
    if (!device) return mm::kInvalidHandle;
    if (!header || !header->data) return mm::kInvalidParam;
    auto& system = device->headers[header];
    if (!system) system = std::make_unique<WAVEHDR>();
    *system = WAVEHDR{};
    system->lpData = reinterpret_cast<LPSTR>(header->data);
    system->dwBufferLength = header->bufferLength;
    system->dwLoops = header->loops;
    system->dwUser = reinterpret_cast<DWORD_PTR>(header);
    const MMRESULT result = waveOutPrepareHeader(device->wave, system.get(), sizeof(WAVEHDR));
    if (result != MMSYSERR_NOERROR) {
      device->headers.erase(header);
      return result;
    }
    header->flags.fetch_or(mm::kHeaderPrepared);
    return mm::kNoError;
  }

  MmResult UnprepareHeader(WaveOutHandle handle, WaveHeader* header) override {
    Device* device = Find(handle);
    if (!device) return mm::kInvalidHandle;
    const auto found = device->headers.find(header);
    if (found == device->headers.end()) return mm::kNoError;
    const MMRESULT result = waveOutUnprepareHeader(device->wave, found->second.get(), sizeof(WAVEHDR));
    if (result != MMSYSERR_NOERROR) return result;
    device->headers.erase(found);
    header->flags.fetch_and(~mm::kHeaderPrepared);
    return mm::kNoError;
  }

  MmResult Write(WaveOutHandle handle, WaveHeader* header) override {
    Device* device = Find(handle);
    if (!device) return mm::kInvalidHandle;
    const auto found = device->headers.find(header);
    if (found == device->headers.end()) return mm::kUnprepared;
    WAVEHDR& system = *found->second;
    if (muted.load()) std::memset(header->data, device->silence, header->bufferLength);
    system.lpData = reinterpret_cast<LPSTR>(header->data);
    system.dwBufferLength = header->bufferLength;
    system.dwLoops = header->loops;
    system.dwFlags &= ~WHDR_DONE;
    // Before the write: the device may finish the block before it returns.
    header->flags.fetch_and(~mm::kHeaderDone);
    header->flags.fetch_or(mm::kHeaderInQueue);
    const MMRESULT result = waveOutWrite(device->wave, &system, sizeof(WAVEHDR));
    if (result != MMSYSERR_NOERROR) {
      header->flags.fetch_and(~mm::kHeaderInQueue);
      header->flags.fetch_or(mm::kHeaderDone);
    }
    return result;
  }

  MmResult Reset(WaveOutHandle handle) override { return Call(handle, waveOutReset); }
  MmResult Pause(WaveOutHandle handle) override { return Call(handle, waveOutPause); }
  MmResult Restart(WaveOutHandle handle) override { return Call(handle, waveOutRestart); }

  MmResult GetPositionBytes(WaveOutHandle handle, std::uint32_t* bytes) override {
    Device* device = Find(handle);
    if (!device) return mm::kInvalidHandle;
    MMTIME time{};
    time.wType = TIME_BYTES;
    const MMRESULT result = waveOutGetPosition(device->wave, &time, sizeof time);
    if (result != MMSYSERR_NOERROR) return result;
    *bytes = time.wType == TIME_BYTES ? time.u.cb : 0;
    return mm::kNoError;
  }

  MmResult Close(WaveOutHandle handle) override {
    Device* device = Find(handle);
    if (!device) return mm::kInvalidHandle;
    const MMRESULT result = waveOutClose(device->wave);
    if (result != MMSYSERR_NOERROR) return result;
    devices_.erase(handle);
    return mm::kNoError;
  }

 private:
  Device* Find(WaveOutHandle handle) {
    const auto found = devices_.find(handle);
    return found == devices_.end() ? nullptr : found->second.get();
  }

  MmResult Call(WaveOutHandle handle, MMRESULT(WINAPI* call)(HWAVEOUT)) {
    Device* device = Find(handle);
    return device ? call(device->wave) : mm::kInvalidHandle;
  }

  MixerHost& host_;
  std::map<WaveOutHandle, std::unique_ptr<Device>> devices_;
};

}  // namespace

std::unique_ptr<WaveOut> CreateWin32WaveOut(MixerHost& host) { return std::make_unique<Win32WaveOut>(host); }

void SetWaveOutMuted(bool mute) { muted.store(mute); }

}  // namespace platform::win32
