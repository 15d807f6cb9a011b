// The wave output device, as the mixer drives it: query the devices, open one
// with a PCM format and a callback window, hand it prepared blocks, and learn
// of each finished block by an MM_WOM_DONE message posted to that window
// (wParam: the device handle, lParam: the block's WaveHeader*). Results are
// MMRESULT codes; 0 is success.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/Host.h"

namespace platform {

using MMRESULT = std::uint32_t;
constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_ALLOCATED = 4;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NODRIVER = 6;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT WAVERR_BADFORMAT = 32;
constexpr MMRESULT WAVERR_STILLPLAYING = 33;
constexpr MMRESULT WAVERR_UNPREPARED = 34;

constexpr int WAVE_MAPPER = -1;
constexpr std::uint32_t WAVECAPS_SYNC = 0x10;
constexpr std::uint32_t WHDR_DONE = 0x1;
constexpr std::uint32_t WHDR_PREPARED = 0x2;
constexpr std::uint32_t WHDR_INQUEUE = 0x10;
constexpr std::uint32_t MM_WOM_DONE = 0x3BD;

// The 16-byte PCM format record, laid out as in a WAVE file's fmt chunk.
#pragma pack(push, 1)
struct PcmWaveFormat {
  std::uint16_t formatTag;
  std::uint16_t channels;
  std::uint32_t samplesPerSec;
  std::uint32_t avgBytesPerSec;
  std::uint16_t blockAlign;
  std::uint16_t bitsPerSample;
};
#pragma pack(pop)
static_assert(sizeof(PcmWaveFormat) == 16);

// One block handed to the device. The device sets WHDR_DONE from its own
// thread, so the flags are atomic; everything else belongs to the caller
// while the block is not queued.
struct WaveHeader {
  std::uint8_t* data = nullptr;
  std::uint32_t bufferLength = 0;
  std::atomic<std::uint32_t> flags{0};
  std::uint32_t loops = 0;
  std::uintptr_t user = 0;
  WaveHeader* deviceNext = nullptr;  // the device's own queue link
};

struct WaveOutCaps {
  char productName[32];  // NUL-terminated
  std::uint16_t channels;
  std::uint32_t support;  // WAVECAPS_* flags
};

using WaveOutHandle = std::uintptr_t;

class WaveOut {
 public:
  virtual ~WaveOut() = default;
  virtual std::uint32_t GetNumDevs() = 0;
  // deviceId WAVE_MAPPER (-1) names the mapper.
  virtual MMRESULT GetDevCaps(int deviceId, WaveOutCaps* caps) = 0;
  // Whether the device can play the format (nothing is opened).
  virtual MMRESULT QueryFormat(int deviceId, const PcmWaveFormat& format) = 0;
  virtual MMRESULT Open(WaveOutHandle* handle, int deviceId, const PcmWaveFormat& format,
                        WindowHandle callbackWindow) = 0;
  // A block must be prepared before it is written and unprepared before
  // its memory goes.
  virtual MMRESULT PrepareHeader(WaveOutHandle handle, WaveHeader* header) = 0;
  virtual MMRESULT UnprepareHeader(WaveOutHandle handle, WaveHeader* header) = 0;
  // Queues a prepared block behind those written before; clears its
  // WHDR_DONE until the device has played it.
  virtual MMRESULT Write(WaveOutHandle handle, WaveHeader* header) = 0;
  // Stops at once, marks every queued block done (one notice each) and sets
  // the position back to 0.
  virtual MMRESULT Reset(WaveOutHandle handle) = 0;
  virtual MMRESULT Pause(WaveOutHandle handle) = 0;
  virtual MMRESULT Restart(WaveOutHandle handle) = 0;
  // Bytes played since the open or the last reset.
  virtual MMRESULT GetPositionBytes(WaveOutHandle handle, std::uint32_t* bytes) = 0;
  virtual MMRESULT Close(WaveOutHandle handle) = 0;
};

}  // namespace platform
