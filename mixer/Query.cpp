#include "mixer/Session.h"

namespace mixer {

// A request stays in its channel's queue until the device has played its
// end, so a wave that is mixed ahead but not yet heard still counts; so do
// held plays waiting in pendingPlays.
bool WaveMixWaveInUse(MixSession* hMixSession, const MixWave* wave) {
  MixSession* s = CheckSession(hMixSession);
  if (!wave) return false;
  for (MixPlayRequest* first : s->channel) {
    if (first == ClosedChannel()) continue;
    for (const MixPlayRequest* r = first; r; r = r->next)
      if (r->wave == wave) return true;
  }
  if (const MixPlayRequest* last = s->pendingPlays) {
    const MixPlayRequest* r = last;
    do {
      r = r->next;
      if (r->wave == wave) return true;
    } while (r != last);
  }
  return false;
}

}  // namespace mixer
