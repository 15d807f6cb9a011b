// The wave output device, as the mixer drives it: query the devices, open one
// with a PCM format and a callback window, hand it prepared blocks, and learn
// of each finished block by an mm::kWomDone message posted to that window
// (wParam: the device handle, lParam: the block's WaveHeader*). Results are
// MmResult codes; 0 is success.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/MixerHost.h"

namespace platform {

using MmResult = std::uint32_t;

// The device's result codes, block flags and notice, with the values of the
// system's multimedia API. They live in their own namespace and are spelt in
// our own style so that <windows.h>, which defines the system's names as
// macros, can be included beside this header.
namespace mm {
constexpr MmResult kNoError = 0;
constexpr MmResult kError = 1;
constexpr MmResult kBadDeviceId = 2;
constexpr MmResult kAllocated = 4;
constexpr MmResult kInvalidHandle = 5;
constexpr MmResult kNoDriver = 6;
constexpr MmResult kNoMemory = 7;
constexpr MmResult kInvalidParam = 11;
constexpr MmResult kBadFormat = 32;
constexpr MmResult kStillPlaying = 33;
constexpr MmResult kUnprepared = 34;

constexpr int kWaveMapper = -1;
constexpr std::uint32_t kCapsSync = 0x10;
constexpr std::uint32_t kHeaderDone = 0x1;
constexpr std::uint32_t kHeaderPrepared = 0x2;
constexpr std::uint32_t kHeaderInQueue = 0x10;
constexpr std::uint32_t kWomDone = 0x3BD;
}  // namespace mm

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

// One block handed to the device. The device sets mm::kHeaderDone from its own
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
  // deviceId mm::kWaveMapper (-1) names the mapper.
  virtual MmResult GetDevCaps(int deviceId, WaveOutCaps* caps) = 0;
  // Whether the device can play the format (nothing is opened).
  virtual MmResult QueryFormat(int deviceId, const PcmWaveFormat& format) = 0;
  virtual MmResult Open(WaveOutHandle* handle, int deviceId, const PcmWaveFormat& format,
                        WindowHandle callbackWindow) = 0;
  // A block must be prepared before it is written and unprepared before
  // its memory goes.
  virtual MmResult PrepareHeader(WaveOutHandle handle, WaveHeader* header) = 0;
  virtual MmResult UnprepareHeader(WaveOutHandle handle, WaveHeader* header) = 0;
  // Queues a prepared block behind those written before; clears its
  // mm::kHeaderDone until the device has played it.
  virtual MmResult Write(WaveOutHandle handle, WaveHeader* header) = 0;
  // Stops at once, marks every queued block done (one notice each) and sets
  // the position back to 0.
  virtual MmResult Reset(WaveOutHandle handle) = 0;
  virtual MmResult Pause(WaveOutHandle handle) = 0;
  virtual MmResult Restart(WaveOutHandle handle) = 0;
  // Bytes played since the open or the last reset.
  virtual MmResult GetPositionBytes(WaveOutHandle handle, std::uint32_t* bytes) = 0;
  virtual MmResult Close(WaveOutHandle handle) = 0;
};

}  // namespace platform
