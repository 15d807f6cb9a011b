#include "mixer/Session.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <unordered_set>

#include "mixer/Channels.h"
#include "mixer/Output.h"
#include "platform/Profile.h"

namespace mixer {

MixSession* currentSession = nullptr;

namespace {

platform::MixerHost* services = nullptr;

// There is at most one session, so its record has one fixed home: a stale
// handle then still reads a zero-filled record and fails the check, until a
// new session takes the place.
MixSession sessionRecord;

// The waves of the session in sessionRecord, by address.
std::unordered_set<const MixWave*> heldWaves;

void FreeWave(MixWave* wave) {
  delete[] wave->data;
  delete wave;
}

const PcmWaveFormat kOutputTemplate{1, 1, 11025, 11025, 1, 8};

void RegisterCallbackWindowClass() {
  std::uint32_t lastError = 0;
  if (!Services().RegisterWindowClass("WavMix32", CallbackWindowProc, &lastError) && lastError != 0 &&
      lastError != platform::kErrorClassAlreadyExists) {
    throw EWaveMixError("Error registering class #" + std::to_string(lastError));
  }
}

std::int32_t ComputeBlockLength(const platform::Profile& ini, std::int32_t fallback, const PcmWaveFormat& format,
                                const char* deviceSection) {
  const std::int32_t deviceValue = ini.ReadInt(deviceSection, "WaveBlockLen", 0);
  if (deviceValue != 0) return std::clamp<std::int32_t>(deviceValue, kMinBlockLength, kMaxBlockLength);
  if (fallback != 0) return std::clamp<std::int32_t>(fallback, kMinBlockLength, kMaxBlockLength);
  return std::min<std::int32_t>(std::int32_t(format.samplesPerSec / 11025) * 2048, kMaxBlockLength);
}

void FreeSession(MixSession* session) {
  std::memset(session, 0, sizeof *session);
  if (currentSession == session) currentSession = nullptr;
}

}  // namespace

void HoldWave(MixWave* wave) {
  try {
    heldWaves.insert(wave);
  } catch (const std::bad_alloc&) {
    throw EWaveMixError(kMemoryMessage);
  }
}

bool HoldsWave(const MixWave* wave) { return heldWaves.count(wave) != 0; }

void FreeHeldWave(MixWave* wave) {
  heldWaves.erase(wave);
  FreeWave(wave);
}

std::string WaveMixIniPath() {
  const char* named = std::getenv("WAVEMIX_INI");
  if (named && *named) return named;
  return Services().ConfigFolder() + "WAVEMIX.INI";
}

void WaveMixSetHost(platform::MixerHost* host) { services = host; }

platform::MixerHost& Services() {
  if (!services) throw EWaveMixError("The mixer has no host: call WaveMixSetHost before using it");
  return *services;
}

MixSession* CheckSession(MixSession* handle) {
  // The handle is compared with the one live record before anything is read
  // through it, so a pointer that never named a session cannot fault here.
  if (handle != &sessionRecord || handle->signature != kSessionSignature ||
      handle->signatureTail != kSessionSignature)
    throw EWaveMixError("Invalid Session handle");
  currentSession = handle;
  return handle;
}

MixSession* WaveMixInit() {
  const MixConfig config{10, 0, 0, 0};
  return WaveMixInitWithConfig(&config);
}

MixSession* WaveMixInitWithConfig(const MixConfig* config) {
  if (currentSession) throw EWaveMixError("Session already initialized");
  RegisterCallbackWindowClass();
  ResetRequestPool();
  if (config && config->size != 10) config = nullptr;

  platform::WaveOut& device = Device();
  const std::uint32_t deviceCount = device.GetNumDevs();
  if (deviceCount == 0) throw EWaveMixError("No wave output devices available");

  MixSession* session = &sessionRecord;
  std::memset(session, 0, sizeof *session);
  currentSession = session;
  session->signature = session->signatureTail = kSessionSignature;
  for (MixPlayRequest*& entry : session->channel) entry = ClosedChannel();
  session->format = kOutputTemplate;

  // WAVEMIX.INI is read once, whatever lies at its name.
  const platform::Profile ini = platform::Profile::Read(WaveMixIniPath());
  const auto ReadInt = [&ini](const std::string& section, const char* key, int defaultValue) {
    return ini.ReadInt(section, key, defaultValue);
  };
  const int defaultRemix = ReadInt("default", "Remix", 1);
  const int defaultGoodWavePos = ReadInt("default", "GoodWavePos", 0);
  const int defaultBlocks = ReadInt("default", "WaveBlocks", 3);
  const std::int32_t fallbackBlockLength = ReadInt("default", "WaveBlockLen", 0) & 0xFFFC;
  const int defaultRate = ReadInt("default", "SamplesPerSec", 11);

  session->deviceId = ReadInt("general", "WaveOutDevice", 0);
  if (session->deviceId >= std::int32_t(deviceCount)) session->deviceId = platform::mm::kWaveMapper;

  // A failed query leaves the record as it was: zero, so no flags and one channel.
  platform::WaveOutCaps caps{};
  const bool haveCaps = device.GetDevCaps(session->deviceId, &caps) == platform::mm::kNoError;
  const std::string name =
      haveCaps ? std::string(caps.productName, strnlen(caps.productName, sizeof caps.productName)) : "Unknown Device";

  if (caps.support & platform::mm::kCapsSync) {
    FreeSession(session);
    throw EWaveMixError(name +
                        " is a syncronous (blocking) wave output device.  This will not permit audio to play while "
                        "other applications are running");
  }
  if (ReadInt("not compatible", name.c_str(), 0) != 0) {
    FreeSession(session);
    throw EWaveMixError(name + " is not compatible with the realtime wavemixer");
  }

  std::strncpy(session->deviceName, name.c_str(), sizeof session->deviceName - 1);
  const char* section = session->deviceName;
  session->remixRoutine = ReadInt(section, "Remix", defaultRemix) == 2 ? DeferToMixPosition : RemixBlocks;
  session->goodWavePos = std::uint8_t(ReadInt(section, "GoodWavePos", defaultGoodWavePos));
  session->blockCount = std::clamp<std::int32_t>(ReadInt(section, "WaveBlocks", defaultBlocks), kMinBlockCount, kMaxBlockCount);
  session->positionAdjust = AddOffset;

  if (config && (config->flags & CONFIG_CHANNELS) && config->channels > 1 && caps.channels > 1) {
    session->format.channels = 2;
    session->format.blockAlign = 2;
  }
  int rate = ReadInt(section, "SamplesPerSec", defaultRate);
  if (config && (config->flags & CONFIG_SAMPLINGRATE) &&
      (config->samplingRate == 11 || config->samplingRate == 22 || config->samplingRate == 44))
    rate = config->samplingRate;
  if (rate == 22) session->format.samplesPerSec = 22050;
  if (rate == 44) session->format.samplesPerSec = 44100;
  session->format.avgBytesPerSec = session->format.channels * session->format.samplesPerSec;

  session->blockLength = ComputeBlockLength(ini, fallbackBlockLength, session->format, section);
  return session;
}

void WaveMixEndSession(MixSession* hMixSession) {
  MixSession* session = CheckSession(hMixSession);
  WaveMixActivate(session, 0);
  WaveMixShutChannels(session, 0, CLEAR_ALL);
  // Waves the caller did not release go with the session: no play is
  // queued any more, and no later call can name them.
  for (const MixWave* wave : heldWaves) FreeWave(const_cast<MixWave*>(wave));
  heldWaves.clear();
  FreeSession(session);
  currentSession = nullptr;
}

}  // namespace mixer
