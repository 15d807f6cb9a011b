#include "mixer/Output.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "mixer/Channels.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace mixer {

MixSession* deviceOwner = nullptr;
MixBlock* blocks[kBlockSlots] = {};

namespace {

MixBlock* queueHead = nullptr;
MixBlock* queueTail = nullptr;

std::int32_t Saturate(std::int64_t value) {
  return std::int32_t(std::clamp<std::int64_t>(value, INT32_MIN, kNeverPosition));
}

std::uint32_t DeviceBytes(platform::WaveOutHandle waveOut) {
  std::uint32_t bytes = 0;
  Device().GetPositionBytes(waveOut, &bytes);
  return bytes;
}

void FailWrite() { throw EWaveMixError("Failed to write block to device"); }

void MixMany(std::uint8_t* destination, const std::uint8_t* const* sources, int count, int length) {
  int i = 0;
#if defined(__SSE2__)
  // Sixteen samples at a time: widen to 16 bits, sum, take away 128 per
  // source, then the signed saturating pack clips the whole sum to -128..127
  // and the top-bit flip makes it unsigned again.
  const __m128i zero = _mm_setzero_si128();
  const __m128i bias = _mm_set1_epi16(std::int16_t(128 * count));
  const __m128i flip = _mm_set1_epi8(char(0x80));
  if (count == 2) {
    // One saturating signed add clips the two-source sum exactly.
    for (; i + 16 <= length; i += 16) {
      const __m128i a = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sources[0] + i)), flip);
      const __m128i b = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sources[1] + i)), flip);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + i), _mm_xor_si128(_mm_adds_epi8(a, b), flip));
    }
  } else {
    for (; i + 16 <= length; i += 16) {
      __m128i low = zero, high = zero;
      for (int j = 0; j < count; ++j) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sources[j] + i));
        low = _mm_add_epi16(low, _mm_unpacklo_epi8(v, zero));
        high = _mm_add_epi16(high, _mm_unpackhi_epi8(v, zero));
      }
      low = _mm_sub_epi16(low, bias);
      high = _mm_sub_epi16(high, bias);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + i), _mm_xor_si128(_mm_packs_epi16(low, high), flip));
    }
  }
#endif
  for (; i < length; ++i) {
    int sum = 128;
    for (int j = 0; j < count; ++j) sum += sources[j][i] - 128;
    destination[i] = std::uint8_t(std::clamp(sum, 0, 255));
  }
}

}  // namespace

MixBlock* BlockQueueHead() { return queueHead; }
MixBlock* BlockQueueTail() { return queueTail; }

std::int32_t AddOffset(std::uint32_t deviceBytes, std::int32_t offset) {
  return Saturate(std::int64_t{deviceBytes} + offset);
}

std::int32_t SubtractOffset(std::uint32_t deviceBytes, std::int32_t offset) {
  return Saturate(std::int64_t{deviceBytes} - offset);
}

std::int32_t GetPlayPosition(platform::WaveOutHandle waveOut, std::uint8_t useDevice) {
  MixSession* s = currentSession;
  if (useDevice == 1) return s->positionAdjust(DeviceBytes(waveOut), s->positionOffset);
  const std::int32_t elapsed = std::int32_t(Services().Milliseconds() - s->timeBase);
  std::int32_t position = Saturate(std::int64_t{elapsed} * s->format.avgBytesPerSec / 1000);
  if (s->format.blockAlign > 1 && (position & 1)) --position;
  return position;
}

void SetPlayPosition(std::int32_t position) {
  MixSession* s = currentSession;
  const std::int64_t device = s->waveOut ? DeviceBytes(s->waveOut) : 0;
  if (position > device) {
    s->positionOffset = Saturate(position - device);
    s->positionAdjust = AddOffset;
  } else {
    s->positionOffset = Saturate(device - position);
    s->positionAdjust = SubtractOffset;
  }
  s->timeBase = Services().Milliseconds() -
                std::uint32_t(std::int64_t{position} * 1000 / std::max<std::uint32_t>(s->format.avgBytesPerSec, 1));
  s->mixPosition = position;
}

void StopAndRebase(platform::WaveOutHandle waveOut) {
  const std::int32_t position = GetPlayPosition(waveOut, currentSession->goodWavePos);
  Device().Reset(waveOut);
  SetPlayPosition(position);
}

void ResetTimelineIfIdle() {
  if (queueHead) return;
  for (MixPlayRequest* entry : currentSession->channel)
    if (entry && entry != ClosedChannel()) return;
  SetPlayPosition(0);
}

void PrepareBlocks(platform::WaveOutHandle waveOut) {
  MixSession* s = currentSession;
  for (int i = 0; i < kBlockSlots; ++i) {
    blocks[i] = new (std::nothrow) MixBlock();
    if (!blocks[i]) {
      for (int j = i - 1; j >= 0; --j) {
        delete blocks[j];
        blocks[j] = nullptr;
      }
      throw EWaveMixError(kMemoryMessage);
    }
    MixBlock* b = blocks[i];
    b->header.data = b->samples;
    b->header.bufferLength = std::uint32_t(s->blockLength);
    b->header.flags = 0;
    b->header.loops = 0;
    b->available = 1;
    b->startPosition = 0;
  }
  for (MixBlock* b : blocks) {
    const platform::MmResult result = Device().PrepareHeader(waveOut, &b->header);
    if (result != platform::mm::kNoError) {
      FreeBlocks(waveOut);
      throw EWaveMixError("Unable to prepare wave header #" + std::to_string(result));
    }
    b->header.flags.store(b->header.flags.load() | platform::mm::kHeaderDone);
  }
}

void FreeBlocks(platform::WaveOutHandle waveOut) {
  for (MixBlock*& b : blocks) {
    if (!b) continue;
    Device().UnprepareHeader(waveOut, &b->header);
    delete b;
    b = nullptr;
  }
}

void OpenOutputDevice() {
  MixSession* s = currentSession;
  if (s->waveOut) return;
  platform::MixerHost& host = Services();
  s->callbackWindow = host.CreateHiddenWindow("WavMix32");
  if (!s->callbackWindow) throw EWaveMixError("Failed to create callback window");
  platform::WaveOutHandle handle = 0;
  const platform::MmResult result = Device().Open(&handle, s->deviceId, s->format, s->callbackWindow);
  if (result != platform::mm::kNoError) {
    host.DestroyHiddenWindow(s->callbackWindow);
    s->callbackWindow = 0;
    throw EWaveMixError("Failed to open waveform output device #" + std::to_string(result));
  }
  s->waveOut = handle;
  try {
    PrepareBlocks(handle);
  } catch (...) {
    Device().Close(handle);
    s->waveOut = 0;
    host.DestroyHiddenWindow(s->callbackWindow);
    s->callbackWindow = 0;
    throw;
  }
}

void CloseOutputDevice(MixSession* session) {
  if (!session->active || !session->waveOut) return;
  StopAndRebase(session->waveOut);
  DrainBlockQueue();
  FreeBlocks(session->waveOut);
  Device().Close(session->waveOut);
  session->waveOut = 0;
  Services().DestroyHiddenWindow(session->callbackWindow);
  session->callbackWindow = 0;
}

void WaveMixActivate(MixSession* hMixSession, std::uint8_t activate) {
  MixSession* s = CheckSession(hMixSession);
  if (activate == 1) {
    if (deviceOwner) {
      if (deviceOwner == currentSession) return;
      throw EWaveMixError("Resource is already allocated to a process");
    }
    deviceOwner = currentSession;
    try {
      Services().StopSimpleSound();
      OpenOutputDevice();
    } catch (...) {
      deviceOwner = nullptr;
      throw;
    }
    s->active = 1;
    SetPlayPosition(s->mixPosition);
    FillFreeBlocks();
  } else {
    CloseOutputDevice(currentSession);
    s->active = 0;
    if (deviceOwner == currentSession) deviceOwner = nullptr;
  }
}

MixBlock* TakeFreeBlock() {
  for (int i = 0; i < currentSession->blockCount && i < kBlockSlots; ++i) {
    MixBlock* b = blocks[i];
    if (!b || b->available != 1) continue;
    b->available = 0;
    b->header.bufferLength = std::uint32_t(currentSession->blockLength);
    b->header.data = b->samples;
    b->owner = deviceOwner;
    return b;
  }
  return nullptr;
}

void ReleaseBlock(MixBlock* block) { block->available = 1; }

void QueueBlock(MixBlock* block) {
  block->next = nullptr;
  if (queueTail) {
    queueTail->next = block;
  } else {
    queueHead = block;
  }
  queueTail = block;
}

MixBlock* UnqueueBlock(MixBlock* block) {
  MixBlock* previous = nullptr;
  for (MixBlock* b = queueHead; b; previous = b, b = b->next) {
    if (b != block) continue;
    if (previous) {
      previous->next = b->next;
    } else {
      queueHead = b->next;
    }
    if (queueTail == b) queueTail = previous;
    b->next = nullptr;
    return b;
  }
  return nullptr;
}

void DrainBlockQueue() {
  while (queueHead) {
    ReleaseBlock(queueHead);
    UnqueueBlock(queueHead);
  }
}

void MixSamples(std::uint8_t* destination, const std::uint8_t* const* sources, int count, int length) {
  if (length <= 0) return;
  if (count == 1) {
    std::memcpy(destination, sources[0], std::size_t(length));
  } else {
    MixMany(destination, sources, count, length);
  }
}

bool MixIntoBlock(MixBlock* block, bool write) {
  if (!block) return false;
  MixSession* s = currentSession;

  MixPlayRequest* active[kChannelCount];
  int count = 0;
  std::int64_t nextStart = kNeverPosition;
  for (MixPlayRequest* r : s->channel) {
    if (r == ClosedChannel()) continue;
    while (r && r->end <= s->mixPosition) r = r->next;
    if (!r) continue;
    active[count++] = r;
    nextStart = std::min<std::int64_t>(nextStart, r->start);
  }
  if (count == 0) {
    if (write) ReleaseBlock(block);
    return false;
  }

  // Segments of the block in which the set of sounding plays is fixed.
  std::uint8_t* destination = block->samples;
  std::int64_t remaining = std::uint16_t(s->blockLength);
  std::int64_t a = s->mixPosition;
  const std::uint8_t* sources[kChannelCount];
  while (remaining > 0) {
    if (a < nextStart) {
      const std::int64_t n = a + remaining < nextStart ? remaining : nextStart - a;
      std::memset(destination, 0x80, std::size_t(n));
      destination += n;
      a += n;
      remaining -= n;
      continue;
    }
    std::int64_t segmentEnd = a + remaining;
    int k = 0;
    for (int j = 0; j < count; ++j) {
      const MixPlayRequest* r = active[j];
      if (a < r->start) {
        segmentEnd = std::min<std::int64_t>(segmentEnd, r->start);
        continue;
      }
      segmentEnd = std::min<std::int64_t>(segmentEnd, r->end);
      std::int64_t offset = a - r->start;
      if (r->params.loops != 0 && r->length > 0) {
        offset %= r->length;
        segmentEnd = std::min(segmentEnd, a + (r->length - offset));
      }
      sources[k++] = r->data + offset;
    }
    if (k == 0) {
      // Only at the end of the timeline: nothing can sound any more.
      std::memset(destination, 0x80, std::size_t(remaining));
      break;
    }
    const std::int64_t n = std::max<std::int64_t>(segmentEnd - a, 0);
    MixSamples(destination, sources, k, int(n));
    destination += n;
    a += n;
    remaining -= n;

    nextStart = kNeverPosition;
    for (int j = 0; j < count;) {
      while (active[j] && a >= active[j]->end) active[j] = active[j]->next;
      if (!active[j]) {
        active[j] = active[--count];
        if (count == 0) break;
        continue;
      }
      nextStart = std::min<std::int64_t>(nextStart, active[j]->start);
      ++j;
    }
  }

  block->startPosition = s->mixPosition;
  s->mixPosition = Saturate(std::int64_t{s->mixPosition} + s->blockLength);
  if (write) {
    QueueBlock(block);
    if (Device().Write(s->waveOut, &block->header) != platform::mm::kNoError) {
      ReleaseBlock(block);
      UnqueueBlock(block);
      FailWrite();
    }
  }
  return true;
}

void FillFreeBlocks() {
  while (MixIntoBlock(TakeFreeBlock(), true)) {
  }
}

void RetireEndedPlays() {
  MixSession* s = currentSession;
  const std::int32_t position = GetPlayPosition(s->waveOut, 1);
  for (int i = 0; i < kChannelCount; ++i) {
    if (s->channel[i] == ClosedChannel()) continue;
    while (MixPlayRequest* r = s->channel[i]) {
      if (position < r->end) break;
      s->channel[i] = r->next;
      if (r->params.notifyWindow)
        Services().Post(r->params.notifyWindow, platform::mm::kWomDone, std::uintptr_t(i),
                                        reinterpret_cast<std::intptr_t>(r->wave));
      ReturnRequest(r);
    }
  }
}

void PumpBlocks() {
  currentSession = deviceOwner;
  if (!currentSession) return;
  for (MixBlock* b = queueHead; b;) {
    if (b->header.flags.load() & platform::mm::kHeaderDone) {
      UnqueueBlock(b);
      ReleaseBlock(b);
      b = queueHead;
    } else {
      b = b->next;
    }
  }
  RetireEndedPlays();
  FillFreeBlocks();
}

void RemixBlocks(std::int32_t start, MixPlayRequest*) {
  MixSession* s = currentSession;
  s->mixPosition = start;
  // The device still holds these blocks; they get new data before the reset.
  DrainBlockQueue();
  while (MixBlock* b = TakeFreeBlock()) {
    if (!MixIntoBlock(b, false)) {
      ReleaseBlock(b);
      break;
    }
    QueueBlock(b);
  }
  const std::int32_t mixed = s->mixPosition;
  StopAndRebase(s->waveOut);
  s->mixPosition = mixed;
  Device().Pause(s->waveOut);
  for (MixBlock* b = queueHead; b;) {
    if (Device().Write(s->waveOut, &b->header) != platform::mm::kNoError) {
      // The failed block and those behind it never reached the device, so
      // no notice would ever free them; the ones written before it play on,
      // and their notices keep the pump going.
      while (b) {
        MixBlock* next = b->next;
        ReleaseBlock(b);
        UnqueueBlock(b);
        b = next;
      }
      Device().Restart(s->waveOut);
      FailWrite();
    }
    b = b->next;
  }
  Device().Restart(s->waveOut);
}

void DeferToMixPosition(std::int32_t, MixPlayRequest* request) {
  if (request) {
    const std::int64_t shift = std::int64_t{currentSession->mixPosition} - request->start;
    request->start = Saturate(request->start + shift);
    request->end = Saturate(request->end + shift);
    if (request->start > request->end) request->end = kNeverPosition;
  }
  PumpBlocks();
}

void CallbackWindowProc(platform::WindowHandle, std::uint32_t message, std::uintptr_t, std::intptr_t) {
  if (message != platform::mm::kWomDone) return;
  try {
    PumpBlocks();
  } catch (const EWaveMixError&) {
    // A refill runs for no caller: a failed write thrown from here would
    // leave the event loop and end the program. The block is free again
    // and the next notice or play mixes on.
  }
}

}  // namespace mixer
