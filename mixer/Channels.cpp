#include "mixer/Channels.h"

#include <algorithm>

#include "mixer/Output.h"
#include "mixer/Session.h"

namespace mixer {
namespace {

MixPlayRequest requestPool[kRequestPoolSize];
MixPlayRequest* freeRequests = nullptr;

bool IsClosed(const MixSession* s, int channel) { return s->channel[channel] == ClosedChannel(); }

void CheckChannelNumber(std::int32_t channel) {
  if (channel < 0 || channel >= kChannelCount) throw EWaveMixError("Invalid channel number");
}

// Drops the queue of an open channel into the pool; the count of requests
// returned.
int DropQueue(MixSession* s, int channel) {
  MixPlayRequest* request = s->channel[channel];
  s->channel[channel] = nullptr;
  int returned = 0;
  while (request) {
    MixPlayRequest* next = request->next;
    ReturnRequest(request);
    request = next;
    ++returned;
  }
  return returned;
}

void OpenChannel(MixSession* s, int channel) {
  s->channel[channel] = nullptr;
  ++s->openChannelCount;
}

// Unlinks the first held play from the ring.
MixPlayRequest* TakeFirstHeld(MixSession* s) {
  MixPlayRequest* last = s->pendingPlays;
  MixPlayRequest* first = last->next;
  if (first == last) {
    s->pendingPlays = nullptr;
  } else {
    last->next = first->next;
  }
  first->next = nullptr;
  return first;
}

void AppendHeld(MixSession* s, MixPlayRequest* request) {
  if (!s->pendingPlays) {
    request->next = request;
  } else {
    request->next = s->pendingPlays->next;
    s->pendingPlays->next = request;
  }
  s->pendingPlays = request;
}

// Held plays that name `wave` go back to the pool: they must never sound.
void DropHeldOf(MixSession* s, const MixWave* wave) {
  MixPlayRequest* last = s->pendingPlays;
  if (!last) return;
  MixPlayRequest* kept = nullptr;
  MixPlayRequest* keptTail = nullptr;
  MixPlayRequest* request = last->next;
  last->next = nullptr;
  while (request) {
    MixPlayRequest* next = request->next;
    if (request->wave == wave) {
      ReturnRequest(request);
    } else {
      request->next = nullptr;
      if (keptTail) keptTail->next = request; else kept = request;
      keptTail = request;
    }
    request = next;
  }
  if (keptTail) keptTail->next = kept;
  s->pendingPlays = keptTail;
}

std::int32_t SaturatedSum(std::int64_t value) { return std::int32_t(std::min<std::int64_t>(value, kNeverPosition)); }

}  // namespace

void ResetRequestPool() {
  for (int i = 0; i < kRequestPoolSize; ++i) requestPool[i].next = i + 1 < kRequestPoolSize ? &requestPool[i + 1] : nullptr;
  freeRequests = &requestPool[0];
}

MixPlayRequest* TakeRequest() {
  MixPlayRequest* request = freeRequests;
  if (!request) return nullptr;
  freeRequests = request->next;
  request->next = nullptr;
  return request;
}

void ReturnRequest(MixPlayRequest* request) {
  if (!request) return;
  request->next = freeRequests;
  freeRequests = request;
}

int FreeRequestCount() {
  int count = 0;
  for (const MixPlayRequest* r = freeRequests; r; r = r->next) ++count;
  return count;
}

void WaveMixOpenChannels(MixSession* hMixSession, std::int32_t channelOrCount, std::int32_t mode) {
  MixSession* s = CheckSession(hMixSession);
  if (mode > 2) throw EWaveMixError("Invalid Flags");
  if (mode == CHANNELS_ONE) CheckChannelNumber(channelOrCount);
  if (mode == CHANNELS_FIRST && (channelOrCount > kChannelCount || channelOrCount < 1))
    throw EWaveMixError("Invalid number of channels");
  switch (mode) {
    case CHANNELS_ONE:
      if (!IsClosed(s, channelOrCount)) throw EWaveMixError("The channel has already been opened");
      OpenChannel(s, channelOrCount);
      return;
    case CHANNELS_ALL:
      for (int i = kChannelCount - 1; i >= 0; --i)
        if (IsClosed(s, i)) OpenChannel(s, i);
      return;
    case CHANNELS_FIRST:
      for (int i = channelOrCount - 1; i >= 0; --i)
        if (IsClosed(s, i)) OpenChannel(s, i);
      return;
    default:
      throw EWaveMixError("Invalid flag");
  }
}

void WaveMixClearChannel(MixSession* hMixSession, std::int32_t channel, std::uint32_t flags) {
  MixSession* s = CheckSession(hMixSession);
  int first = 0, last = kChannelCount - 1;
  if (!(flags & CLEAR_ALL)) {
    CheckChannelNumber(channel);
    if (IsClosed(s, channel)) throw EWaveMixError("The specified channel was not open");
    first = last = channel;
  }
  int returned = 0;
  for (int i = first; i <= last; ++i)
    if (!IsClosed(s, i)) returned += DropQueue(s, i);
  if (returned > 0 && !(flags & CLEAR_NOREMIX) && s->active) {
    const std::int32_t position = GetPlayPosition(s->waveOut, s->goodWavePos);
    s->remixRoutine(position, nullptr);
  }
}

void WaveMixShutChannels(MixSession* hMixSession, std::int32_t channel, std::uint32_t flags) {
  MixSession* s = CheckSession(hMixSession);
  WaveMixClearChannel(s, channel, flags | CLEAR_NOREMIX);
  const int first = (flags & CLEAR_ALL) ? 0 : channel;
  const int last = (flags & CLEAR_ALL) ? kChannelCount - 1 : channel;
  for (int i = first; i <= last; ++i) {
    if (IsClosed(s, i)) continue;
    s->channel[i] = ClosedChannel();
    --s->openChannelCount;
  }
}

void WaveMixPlay(MixPlayParams* params) {
  if (!params) throw EWaveMixError("nil parameters pointer passed to WaveMixPlay");
  MixSession* s = CheckSession(params->session);
  if (!params->wave) throw EWaveMixError("nil wave pointer passed to WaveMixPlay!");
  if (!HoldsWave(params->wave)) throw EWaveMixError("unknown wave pointer passed to WaveMixPlay!");
  if (!s->active) throw EWaveMixError("Wave device not allocated, call WaveMixActivate(hMixSession,TRUE)");
  if (s->openChannelCount == 0) throw EWaveMixError("You must open a channel before you can play a wave");

  std::int32_t ch = params->channel;
  if (params->flags & PLAY_ANYCHANNEL) {
    int candidate = 0;
    for (int i = 0; i < kChannelCount; ++i) {
      if (IsClosed(s, i)) continue;
      if (!IsClosed(s, candidate) && s->channel[candidate] == nullptr) break;
      if (i != candidate && s->channelStamp[i] < s->channelStamp[candidate]) candidate = i;
    }
    ch = candidate;
    params->channel = ch;
  } else {
    // Refused before anything changes: the entries are indexed with it.
    CheckChannelNumber(ch);
  }
  s->channelStamp[ch] = ++s->playSequence;
  if (IsClosed(s, ch)) throw EWaveMixError("The specified channel was not open");

  MixPlayRequest* r = TakeRequest();
  if (!r) throw EWaveMixError("Not enough memory");
  r->params = *params;
  r->wave = params->wave;
  r->length = std::int32_t(params->wave->length);
  r->data = params->wave->data;
  r->params.channel = ch;
  r->start = r->end = 0;
  AppendHeld(s, r);
  if (r->params.flags & PLAY_HOLD) return;

  ResetTimelineIfIdle();
  const std::int32_t now = GetPlayPosition(s->waveOut, s->goodWavePos);
  bool remix = false;
  MixPlayRequest* placed = nullptr;
  while (s->pendingPlays) {
    MixPlayRequest* q = TakeFirstHeld(s);
    const int t = q->params.channel;
    const std::uint32_t flags = q->params.flags & 0xFF;
    if (IsClosed(s, t)) {
      // Its channel was shut while it was held: it never sounds.
      ReturnRequest(q);
      continue;
    }
    if (flags & PLAY_REPLACE) {
      DropQueue(s, t);
      s->channel[t] = q;
      if (BlockQueueHead()) remix = true;
      q->start = (flags & PLAY_FROMNOW) ? now : s->mixPosition;
    } else if (s->channel[t]) {
      MixPlayRequest* last = s->channel[t];
      while (last->next) last = last->next;
      last->next = q;
      q->start = (flags & PLAY_FROMNOW) ? last->end : std::max(s->mixPosition, last->end);
      if (s->mixPosition > q->start) remix = true;
    } else {
      s->channel[t] = q;
      q->start = (flags & PLAY_FROMNOW) ? now : s->mixPosition;
      if (s->mixPosition > q->start) remix = true;
    }
    if (q->params.loops == kLoopForever || q->start == kNeverPosition) {
      q->end = kNeverPosition;
    } else {
      q->end = SaturatedSum((std::int64_t{q->params.loops} + 1) * q->length + q->start - 1);
    }
    placed = q;
  }

  if (remix) {
    s->remixRoutine(placed->start, placed);
    return;
  }
  const bool idle = BlockQueueHead() == nullptr;
  platform::WaveOut& device = Device();
  if (!idle) {
    FillFreeBlocks();
    return;
  }
  device.Pause(s->waveOut);
  try {
    FillFreeBlocks();
  } catch (...) {
    // A paused device would hold the blocks already written and never
    // report them done: every later play would stay silent.
    device.Restart(s->waveOut);
    throw;
  }
  device.Restart(s->waveOut);
}

void WaveMixReleaseWave(MixSession* hMixSession, MixWave* wave) {
  MixSession* s = CheckSession(hMixSession);
  if (!wave) throw EWaveMixError("The given pointer was not valid");
  // Released already, never loaded, or loaded by a session that has ended.
  if (!HoldsWave(wave)) throw EWaveMixError("The given wave was not loaded by this session");
  for (int i = 0; i < kChannelCount; ++i) {
    if (IsClosed(s, i)) continue;
    MixPlayRequest** link = &s->channel[i];
    while (*link) {
      MixPlayRequest* request = *link;
      if (request->wave == wave) {
        *link = request->next;
        ReturnRequest(request);
      } else {
        link = &request->next;
      }
    }
  }
  DropHeldOf(s, wave);
  FreeHeldWave(wave);
}

}  // namespace mixer
