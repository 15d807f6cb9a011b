#include "platform/sdl/SdlWaveOut.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <vector>

namespace platform::sdl {

namespace {
std::atomic<bool>& Muted() {
  static std::atomic<bool> muted{false};
  return muted;
}
}  // namespace

void SetSoundMuted(bool muted) { Muted().store(muted); }
bool SoundMuted() { return Muted().load(); }

namespace {

// The device buffer: about 12 ms of the session's rate, 128 to 512 frames,
// so that a block written now is heard within a buffer or two.
Uint16 DeviceFrames(std::uint32_t rate) {
  Uint16 frames = 128;
  while (frames < 512 && std::uint64_t(frames) * 2 * 1000 <= std::uint64_t(rate) * 12) frames = Uint16(frames * 2);
  return frames;
}
constexpr int kMixChannels = 2;
constexpr int kMixFrameBytes = 2 * kMixChannels;
constexpr char kDefaultName[] = "Default audio output";

bool Playable(const PcmWaveFormat& f) {
  return f.formatTag == 1 && (f.channels == 1 || f.channels == 2) &&
         (f.bitsPerSample == 8 || f.bitsPerSample == 16) && f.samplesPerSec > 0 &&
         f.blockAlign == f.channels * f.bitsPerSample / 8;
}

}  // namespace

struct SdlWaveOut::Impl {
  MixerHost& host;
  bool audioStarted = false;

  SDL_AudioDeviceID device = 0;
  WaveOutHandle handle = 0;
  WaveOutHandle lastHandle = 0x5300;
  WindowHandle window = 0;
  PcmWaveFormat format{};
  SDL_AudioSpec obtained{};
  // Session format -> 16-bit stereo at the device's rate, where other
  // sources are mixed in; then -> the device's own format when it differs.
  SDL_AudioStream* toMix = nullptr;
  SDL_AudioStream* toDevice = nullptr;
  std::vector<std::int16_t> mix;
  std::vector<std::uint8_t> deviceBytes;

  // Everything below is shared with the audio thread: under the device lock.
  // head..tail: written and not yet done; feed: the first block not wholly
  // handed to the stream yet (nil when all are), feedOffset bytes into it.
  WaveHeader* head = nullptr;
  WaveHeader* tail = nullptr;
  WaveHeader* feed = nullptr;
  std::uint32_t feedOffset = 0;
  std::uint64_t headStart = 0;  // byte count at which the head block begins
  std::uint64_t taken = 0;  // bytes handed to the stream since the open or reset
  bool paused = false;
  MixSource mixSource;
  Tap tap;

  explicit Impl(MixerHost& h) : host(h) {}

  bool StartAudio() {
    if (!audioStarted) audioStarted = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    return audioStarted;
  }

  int NamedDevices() {
    const int n = SDL_GetNumAudioDevices(0);
    return n > 0 ? n : 0;
  }

  bool ValidId(int id) {
    if (!StartAudio()) return false;
    return id == mm::kWaveMapper || (id >= 0 && id <= NamedDevices());
  }

  bool Valid(WaveOutHandle h) const { return device != 0 && h == handle; }

  void Lock() { SDL_LockAudioDevice(device); }
  void Unlock() { SDL_UnlockAudioDevice(device); }

  // Bytes of session data still inside the conversion stream.
  std::uint64_t Buffered() const {
    const int available = SDL_AudioStreamAvailable(toMix);
    if (available <= 0 || obtained.freq <= 0) return 0;
    const std::uint64_t frames =
        std::uint64_t(available / kMixFrameBytes) * format.samplesPerSec / std::uint64_t(obtained.freq);
    return frames * format.blockAlign;
  }

  std::uint64_t Played() const {
    const std::uint64_t buffered = Buffered();
    return taken > buffered ? taken - buffered : 0;
  }

  void FinishHead() {
    WaveHeader* block = head;
    head = block->deviceNext;
    if (!head) tail = nullptr;
    if (feed == block) {
      feed = head;
      feedOffset = 0;
    }
    headStart += block->bufferLength;
    block->deviceNext = nullptr;
    block->flags.store((block->flags.load() & ~mm::kHeaderInQueue) | mm::kHeaderDone);
    if (window) host.Post(window, mm::kWomDone, handle, reinterpret_cast<std::intptr_t>(block));
  }

  // A block is done once all of it has come out of the stream.
  void FinishPlayed() {
    const std::uint64_t played = Played();
    while (head && head != feed && played >= headStart + head->bufferLength) FinishHead();
  }

  // Feeds the stream from the blocks until it holds `needBytes` of mix
  // format or the blocks run out. Only about what is needed goes in, so
  // that what is mixed is heard soon.
  void Feed(int needBytes) {
    while (feed && SDL_AudioStreamAvailable(toMix) < needBytes) {
      const int missingFrames = (needBytes - SDL_AudioStreamAvailable(toMix)) / kMixFrameBytes + 1;
      const std::uint64_t want =
          (std::uint64_t(missingFrames) * format.samplesPerSec / std::uint64_t(obtained.freq) + 8) * format.blockAlign;
      const std::uint32_t count = std::uint32_t(std::min<std::uint64_t>(want, feed->bufferLength - feedOffset));
      const std::uint8_t* bytes = feed->data + feedOffset;
      if (count > 0) {
        SDL_AudioStreamPut(toMix, bytes, int(count));
        if (tap) tap(bytes, count);
      }
      feedOffset += count;
      taken += count;
      if (feedOffset >= feed->bufferLength) {
        feed = feed->deviceNext;
        feedOffset = 0;
      }
    }
  }

  void Render(Uint8* out, int len) {
    const int frames = len / (SDL_AUDIO_BITSIZE(obtained.format) / 8 * obtained.channels);
    const int mixBytes = frames * kMixFrameBytes;
    std::fill(mix.begin(), mix.begin() + frames * kMixChannels, 0);
    if (!paused) {
      Feed(mixBytes);
      // Short of data the stream gives up what it holds; the rest is silence.
      if (!feed) SDL_AudioStreamFlush(toMix);
      SDL_AudioStreamGet(toMix, mix.data(), mixBytes);
      FinishPlayed();
    }
    if (mixSource) mixSource(mix.data(), frames);
    // Muted, everything goes on being mixed and played, unheard.
    if (Muted().load(std::memory_order_relaxed)) std::fill(mix.begin(), mix.begin() + frames * kMixChannels, 0);
    if (!toDevice) {
      std::memcpy(out, mix.data(), std::size_t(mixBytes));
      if (len > mixBytes) std::memset(out + mixBytes, obtained.silence, std::size_t(len - mixBytes));
      return;
    }
    SDL_AudioStreamPut(toDevice, mix.data(), mixBytes);
    const int got = std::max(SDL_AudioStreamGet(toDevice, out, len), 0);
    if (got < len) std::memset(out + got, obtained.silence, std::size_t(len - got));
  }

  static void Callback(void* userdata, Uint8* out, int len) { static_cast<Impl*>(userdata)->Render(out, len); }

  void CloseDevice() {
    if (!device) return;
    SDL_CloseAudioDevice(device);
    device = 0;
    handle = 0;
    window = 0;
    if (toMix) SDL_FreeAudioStream(toMix);
    if (toDevice) SDL_FreeAudioStream(toDevice);
    toMix = toDevice = nullptr;
    head = tail = feed = nullptr;
  }
};

SdlWaveOut::SdlWaveOut(MixerHost& host) : impl_(std::make_unique<Impl>(host)) {}

SdlWaveOut::~SdlWaveOut() {
  impl_->CloseDevice();
  if (impl_->audioStarted) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

std::uint32_t SdlWaveOut::GetNumDevs() {
  if (!impl_->StartAudio()) return 0;
  return std::uint32_t(1 + impl_->NamedDevices());
}

MmResult SdlWaveOut::GetDevCaps(int deviceId, WaveOutCaps* caps) {
  if (!impl_->ValidId(deviceId)) return mm::kBadDeviceId;
  if (!caps) return mm::kInvalidParam;
  std::memset(caps, 0, sizeof *caps);
  const char* name = deviceId > 0 ? SDL_GetAudioDeviceName(deviceId - 1, 0) : kDefaultName;
  std::strncpy(caps->productName, name ? name : kDefaultName, sizeof caps->productName - 1);
  caps->channels = 2;
  caps->support = 0;
  return mm::kNoError;
}

MmResult SdlWaveOut::QueryFormat(int deviceId, const PcmWaveFormat& format) {
  if (!impl_->ValidId(deviceId)) return mm::kBadDeviceId;
  return Playable(format) ? mm::kNoError : mm::kBadFormat;
}

MmResult SdlWaveOut::Open(WaveOutHandle* handle, int deviceId, const PcmWaveFormat& format,
                          WindowHandle callbackWindow) {
  Impl& d = *impl_;
  if (!d.ValidId(deviceId)) return mm::kBadDeviceId;
  if (d.device) return mm::kAllocated;
  if (!Playable(format)) return mm::kBadFormat;
  if (!handle) return mm::kInvalidParam;

  const SDL_AudioFormat sourceFormat = format.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
  // The device is opened for the music mixed in beside the waves, not for
  // the session's 8-bit format: the stream below converts the blocks.
  SDL_AudioSpec desired{};
  desired.freq = kPreferredMixRate;
  desired.format = AUDIO_S16SYS;
  desired.channels = kMixChannels;
  desired.samples = DeviceFrames(kPreferredMixRate);
  desired.callback = Impl::Callback;
  desired.userdata = &d;
  const std::string name = deviceId > 0 ? SDL_GetAudioDeviceName(deviceId - 1, 0) : "";
  // The buffer size is kept: SDL converts behind it when the device wants another.
  const SDL_AudioDeviceID device =
      SDL_OpenAudioDevice(name.empty() ? nullptr : name.c_str(), 0, &desired, &d.obtained,
                          SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_FORMAT_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
  if (device == 0) return mm::kNoDriver;
  d.toMix = SDL_NewAudioStream(sourceFormat, Uint8(format.channels), int(format.samplesPerSec), AUDIO_S16SYS,
                               kMixChannels, d.obtained.freq);
  if (d.obtained.format != AUDIO_S16SYS || d.obtained.channels != kMixChannels)
    d.toDevice = SDL_NewAudioStream(AUDIO_S16SYS, kMixChannels, d.obtained.freq, d.obtained.format,
                                    d.obtained.channels, d.obtained.freq);
  if (!d.toMix || (d.obtained.format != AUDIO_S16SYS || d.obtained.channels != kMixChannels) != (d.toDevice != nullptr)) {
    SDL_CloseAudioDevice(device);
    if (d.toMix) SDL_FreeAudioStream(d.toMix);
    if (d.toDevice) SDL_FreeAudioStream(d.toDevice);
    d.toMix = d.toDevice = nullptr;
    return mm::kNoMemory;
  }
  d.mix.assign(std::size_t(d.obtained.samples) * kMixChannels * 2, 0);
  d.device = device;
  d.handle = ++d.lastHandle;
  d.window = callbackWindow;
  d.format = format;
  d.head = d.tail = d.feed = nullptr;
  d.feedOffset = 0;
  d.headStart = 0;
  d.taken = 0;
  d.paused = false;
  SDL_PauseAudioDevice(device, 0);
  *handle = d.handle;
  return mm::kNoError;
}

MmResult SdlWaveOut::PrepareHeader(WaveOutHandle handle, WaveHeader* header) {
  if (!impl_->Valid(handle)) return mm::kInvalidHandle;
  if (!header) return mm::kInvalidParam;
  header->flags.store(header->flags.load() | mm::kHeaderPrepared);
  return mm::kNoError;
}

MmResult SdlWaveOut::UnprepareHeader(WaveOutHandle handle, WaveHeader* header) {
  if (!impl_->Valid(handle)) return mm::kInvalidHandle;
  if (!header) return mm::kInvalidParam;
  if (header->flags.load() & mm::kHeaderInQueue) return mm::kStillPlaying;
  header->flags.store(header->flags.load() & ~mm::kHeaderPrepared);
  return mm::kNoError;
}

MmResult SdlWaveOut::Write(WaveOutHandle handle, WaveHeader* header) {
  Impl& d = *impl_;
  if (!d.Valid(handle)) return mm::kInvalidHandle;
  if (!header) return mm::kInvalidParam;
  if (!(header->flags.load() & mm::kHeaderPrepared)) return mm::kUnprepared;
  if (header->flags.load() & mm::kHeaderInQueue) return mm::kStillPlaying;
  // A device that has gone (unplugged, its sound server ended) is stopped by
  // SDL and calls back no more: a block written to it would never finish.
  if (SDL_GetAudioDeviceStatus(d.device) == SDL_AUDIO_STOPPED) return mm::kNoDriver;
  d.Lock();
  header->flags.store((header->flags.load() & ~mm::kHeaderDone) | mm::kHeaderInQueue);
  header->deviceNext = nullptr;
  if (d.tail) {
    d.tail->deviceNext = header;
  } else {
    d.head = header;
  }
  d.tail = header;
  if (!d.feed) {
    d.feed = header;
    d.feedOffset = 0;
  }
  d.Unlock();
  return mm::kNoError;
}

MmResult SdlWaveOut::Reset(WaveOutHandle handle) {
  Impl& d = *impl_;
  if (!d.Valid(handle)) return mm::kInvalidHandle;
  d.Lock();
  while (d.head) d.FinishHead();
  SDL_AudioStreamClear(d.toMix);
  if (d.toDevice) SDL_AudioStreamClear(d.toDevice);
  d.taken = d.headStart = 0;
  d.Unlock();
  return mm::kNoError;
}

MmResult SdlWaveOut::Pause(WaveOutHandle handle) {
  Impl& d = *impl_;
  if (!d.Valid(handle)) return mm::kInvalidHandle;
  d.Lock();
  d.paused = true;
  d.Unlock();
  return mm::kNoError;
}

MmResult SdlWaveOut::Restart(WaveOutHandle handle) {
  Impl& d = *impl_;
  if (!d.Valid(handle)) return mm::kInvalidHandle;
  d.Lock();
  d.paused = false;
  d.Unlock();
  return mm::kNoError;
}

MmResult SdlWaveOut::GetPositionBytes(WaveOutHandle handle, std::uint32_t* bytes) {
  Impl& d = *impl_;
  if (!d.Valid(handle)) return mm::kInvalidHandle;
  if (!bytes) return mm::kInvalidParam;
  d.Lock();
  *bytes = std::uint32_t(d.Played());
  d.Unlock();
  return mm::kNoError;
}

MmResult SdlWaveOut::Close(WaveOutHandle handle) {
  Impl& d = *impl_;
  if (!d.Valid(handle)) return mm::kInvalidHandle;
  d.Lock();
  const bool queued = d.head != nullptr;
  d.Unlock();
  if (queued) return mm::kStillPlaying;
  d.CloseDevice();
  return mm::kNoError;
}

void SdlWaveOut::SetMixSource(MixSource source) {
  Impl& d = *impl_;
  if (d.device) d.Lock();
  d.mixSource = std::move(source);
  if (d.device) d.Unlock();
}

int SdlWaveOut::MixRate() const { return impl_->device ? impl_->obtained.freq : 0; }

void SdlWaveOut::SetTap(Tap tap) {
  Impl& d = *impl_;
  if (d.device) d.Lock();
  d.tap = std::move(tap);
  if (d.device) d.Unlock();
}

std::unique_ptr<WaveOut> CreateSdlWaveOut(MixerHost& host) { return std::make_unique<SdlWaveOut>(host); }

}  // namespace platform::sdl
