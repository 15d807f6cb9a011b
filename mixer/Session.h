// The session record and the process-wide reference to the session in use.
// Internal to the mixer (and its tests and tools): callers of the mixer see
// only the handle.
#pragma once

#include <cstdint>
#include <string>

#include "mixer/WaveMix.h"

namespace mixer {

// Timeline positions are byte counts of output data; this one, the last,
// is never reached.
constexpr std::int32_t kNeverPosition = 0x7FFFFFFF;

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

// start: the timeline position from which the play must be heard; request:
// the last play placed, or nil.
using RemixRoutine = void (*)(std::int32_t start, MixPlayRequest* request);
// Maps the device's byte count onto the timeline with positionOffset.
using PositionAdjust = std::int32_t (*)(std::uint32_t deviceBytes, std::int32_t offset);

constexpr std::uint16_t kSessionSignature = 0x5432;

// A channel entry with all bits set: the channel is closed.
inline MixPlayRequest* ClosedChannel() { return reinterpret_cast<MixPlayRequest*>(~std::uintptr_t{0}); }

struct MixSession {
  std::uint16_t signature;
  platform::WindowHandle callbackWindow;
  platform::WaveOutHandle waveOut;
  std::uint8_t active;
  std::int32_t deviceId;  // -1: the wave mapper
  char deviceName[32];
  MixPlayRequest* channel[kChannelCount];  // ClosedChannel(), nil (idle) or the first queued play
  std::int32_t openChannelCount;
  std::int32_t channelStamp[kChannelCount];
  std::int32_t playSequence;
  PcmWaveFormat format;
  std::int32_t blockLength;  // kMinBlockLength .. kMaxBlockLength (Output.h)
  std::int32_t blockCount;  // kMinBlockCount .. kMaxBlockCount (Output.h)
  std::int32_t mixPosition;
  std::uint32_t timeBase;
  std::uint8_t goodWavePos;  // 1: the device's position, else the clock's
  std::int32_t positionOffset;
  RemixRoutine remixRoutine;
  PositionAdjust positionAdjust;
  MixPlayRequest* pendingPlays;  // the last held play; its next is the first
  std::uint16_t signatureTail;
};

// The session named by the latest mixer call; every internal operation works on it.
extern MixSession* currentSession;

// Validates a handle and makes it currentSession; throws "Invalid Session handle".
MixSession* CheckSession(MixSession* handle);

// The waves the live session loaded and has not released: a wave handle is
// looked up here before anything is read through it. HoldWave throws the
// memory message when it cannot keep the wave (the caller still owns it).
void HoldWave(MixWave* wave);
bool HoldsWave(const MixWave* wave);
// Takes the wave out of the session and frees its data and record.
void FreeHeldWave(MixWave* wave);

// Where WAVEMIX.INI is read from: $WAVEMIX_INI, else the program's folder.
std::string WaveMixIniPath();

inline constexpr char kMemoryMessage[] =
    "Unable to allocate memory for waveform data.  Try making more memory available by closing other "
    "applications.";

// The host given to WaveMixSetHost; EWaveMixError when there is none.
platform::MixerHost& Services();
// The host's wave-out device.
inline platform::WaveOut& Device() { return Services().WaveOutDevice(); }

}  // namespace mixer
