// The wave mixer's public face: one session per process, waves loaded and
// converted once to the session's 8-bit output format, eight channels with
// queues of plays, mixed into blocks that keep the wave-out device fed.
// Every operation checks its session handle first and reports every failure
// by throwing EWaveMixError with a fixed text; none returns an error code.
// Everything runs on the event loop's thread; nothing here is locked.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/MixerHost.h"
#include "platform/WaveOut.h"

namespace mixer {

using platform::PcmWaveFormat;

class EWaveMixError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The session record is the mixer's own; callers hold its address, the
// session handle (hMixSession), and pass it to every operation.
struct MixSession;

// Asks WaveMixInitWithConfig for stereo output and for a sampling rate.
#pragma pack(push, 1)
struct MixConfig {
  std::uint16_t size;  // must be 10, else the whole record is ignored
  std::uint32_t flags;  // CONFIG_CHANNELS, CONFIG_SAMPLINGRATE
  std::uint16_t channels;  // above 1 asks for stereo
  std::uint16_t samplingRate;  // 11, 22 or 44 (kHz); other values are ignored
};
#pragma pack(pop)
static_assert(sizeof(MixConfig) == 10);

// A session's channels are numbered 0 .. kChannelCount - 1.
constexpr int kChannelCount = 8;

constexpr std::uint32_t CONFIG_CHANNELS = 0x1;
constexpr std::uint32_t CONFIG_SAMPLINGRATE = 0x2;

// A loaded wave. Its data is already in the session's output format; format
// still describes the file it came from.
struct MixWave {
  PcmWaveFormat format;
  std::uint8_t* data;
  std::uint32_t length;
  std::uint32_t reserved[6];
  char name[16];  // file or resource name cut to 15 characters, or "res#N"
};

// Source flags of WaveMixLoadWave; LOAD_RESOURCE wins over LOAD_MEMORY, and
// any value with neither means a file.
constexpr std::uint32_t LOAD_FILE = 0x1;
constexpr std::uint32_t LOAD_RESOURCE = 0x2;
constexpr std::uint32_t LOAD_MEMORY = 0x4;

constexpr std::uint32_t FourCC(char a, char b, char c, char d) {
  return std::uint32_t(std::uint8_t(a)) | std::uint32_t(std::uint8_t(b)) << 8 |
         std::uint32_t(std::uint8_t(c)) << 16 | std::uint32_t(std::uint8_t(d)) << 24;
}
constexpr std::uint32_t kFourCCMem = FourCC('M', 'E', 'M', ' ');

// Describes a memory file for LOAD_MEMORY: fccIOProc kFourCCMem, the bytes
// in pchBuffer and their count in cchBuffer. Opening fails, leaving the
// reason in wErrorRet, for another I/O procedure (kMmioErrCannotOpen) or an
// empty buffer (kMmioErrInvalidFile). The mixer never writes to the bytes.
struct MMIOINFO {
  std::uint32_t dwFlags;
  std::uint32_t fccIOProc;
  void* pIOProc;
  std::uint32_t wErrorRet;
  void* htask;
  std::int32_t cchBuffer;
  char* pchBuffer;
  char* pchNext;
  char* pchEndRead;
  char* pchEndWrite;
  std::int32_t lBufOffset;
  std::int32_t lDiskOffset;
  std::uint32_t adwInfo[3];  // adwInfo[0]: growth increment of a memory file
  std::uint32_t dwReserved1;
  std::uint32_t dwReserved2;
  void* hmmio;
};
constexpr std::uint32_t kMmioErrCannotOpen = 259;
constexpr std::uint32_t kMmioErrInvalidFile = 272;

// A memory-file record over `size` bytes of a WAVE file image.
MMIOINFO MemoryImage(const void* bytes, std::size_t size);

// A module's table of "WAVE" resources, registered by the program, for
// LOAD_RESOURCE. A resource is named by a string or by a number below 65536.
// Registered bytes must outlive the module's use; nil bytes make the
// resource unlockable.
class ResourceModule {
 public:
  void Add(const std::string& name, const void* bytes, std::size_t size);
  void Add(std::uint16_t id, const void* bytes, std::size_t size);
  struct Found {
    bool found;
    const void* bytes;
    std::size_t size;
  };
  // Names match case-insensitively, as resource names do.
  Found Find(const char* nameOrId) const;

 private:
  struct Entry {
    std::string name;  // empty for a numbered resource
    std::uint16_t id;
    const void* bytes;
    std::size_t size;
  };
  std::vector<Entry> entries_;
};

// The program's own module, searched when WaveMixLoadWave is given none.
ResourceModule& ProgramResources();

// A resource number passed in place of a name, as MAKEINTRESOURCE does.
inline const char* MakeIntResource(std::uint16_t id) {
  return reinterpret_cast<const char*>(std::uintptr_t{id});
}

struct MixPlayParams {
  std::uint16_t size;  // 24; not checked
  MixSession* session;
  std::int32_t channel;  // with PLAY_ANYCHANNEL, WaveMixPlay writes its choice here
  MixWave* wave;
  platform::WindowHandle notifyWindow;  // gets mm::kWomDone when the play ends; 0: none
  std::uint32_t flags;  // PLAY_*; only the low byte counts
  std::uint16_t loops;  // repetitions after the first pass; kLoopForever: endless
};

constexpr std::uint16_t kLoopForever = 0xFFFF;

constexpr std::uint32_t PLAY_REPLACE = 0x1;
constexpr std::uint32_t PLAY_ANYCHANNEL = 0x2;
constexpr std::uint32_t PLAY_FROMNOW = 0x4;
constexpr std::uint32_t PLAY_HOLD = 0x8;

// One queued play, from the pool of 100.
struct MixPlayRequest {
  MixPlayRequest* next;
  MixPlayParams params;
  MixWave* wave;
  std::int32_t length;
  std::int32_t start;  // timeline position of the first byte
  std::int32_t end;  // sounds at start .. end - 1; kNeverPosition: never ends
  std::uint8_t* data;
};

constexpr std::int32_t CHANNELS_ONE = 0;
constexpr std::int32_t CHANNELS_ALL = 1;
constexpr std::int32_t CHANNELS_FIRST = 2;
constexpr std::uint32_t CLEAR_ALL = 0x1;
constexpr std::uint32_t CLEAR_NOREMIX = 0x2;

// Timeline positions are byte counts of output data; this one, the last,
// is never reached.
constexpr std::int32_t kNeverPosition = 0x7FFFFFFF;

// The system the mixer runs on, handed once before the first session (nil
// detaches it). Every call that needs the device, the clock or the callback
// window fails with EWaveMixError while there is none. The host must outlive
// the sessions begun on it.
void WaveMixSetHost(platform::MixerHost* host);

// Sessions. The configuration comes from WAVEMIX.INI: the file named by the
// environment variable WAVEMIX_INI, else the one in the host's ConfigFolder().
MixSession* WaveMixInit();
MixSession* WaveMixInitWithConfig(const MixConfig* config);
void WaveMixEndSession(MixSession* hMixSession);

// Loading. source: a path (LOAD_FILE), a resource name or MakeIntResource
// number (LOAD_RESOURCE), or an MMIOINFO* (LOAD_MEMORY). module: the
// resource table; nil means ProgramResources(). Never returns nil.
MixWave* WaveMixLoadWave(MixSession* hMixSession, const void* source, const ResourceModule* module,
                         std::uint32_t flags);

// Channels and plays.
void WaveMixOpenChannels(MixSession* hMixSession, std::int32_t channelOrCount, std::int32_t mode);
void WaveMixShutChannels(MixSession* hMixSession, std::int32_t channel, std::uint32_t flags);
void WaveMixClearChannel(MixSession* hMixSession, std::int32_t channel, std::uint32_t flags);
void WaveMixPlay(MixPlayParams* params);
void WaveMixReleaseWave(MixSession* hMixSession, MixWave* wave);
// Whether a play of the wave is queued on an open channel (mixed ahead or
// not, until the device has played its end) or held: a wave for which this
// is false can be released without cutting anything short.
bool WaveMixWaveInUse(MixSession* hMixSession, const MixWave* wave);

// Output: activate = 1 takes the wave-out device and starts output; any other
// value releases it.
void WaveMixActivate(MixSession* hMixSession, std::uint8_t activate);

}  // namespace mixer
