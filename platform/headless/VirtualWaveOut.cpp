// Placeholder until the virtual device lands: no devices.
#include "platform/headless/VirtualWaveOut.h"

namespace platform::headless {
namespace {
class NoWaveOut : public WaveOut {
 public:
  std::uint32_t GetNumDevs() override { return 0; }
  MMRESULT GetDevCaps(int, WaveOutCaps*) override { return MMSYSERR_BADDEVICEID; }
  MMRESULT QueryFormat(int, const PcmWaveFormat&) override { return MMSYSERR_BADDEVICEID; }
  MMRESULT Open(WaveOutHandle*, int, const PcmWaveFormat&, WindowHandle) override { return MMSYSERR_BADDEVICEID; }
  MMRESULT PrepareHeader(WaveOutHandle, WaveHeader*) override { return MMSYSERR_INVALHANDLE; }
  MMRESULT UnprepareHeader(WaveOutHandle, WaveHeader*) override { return MMSYSERR_INVALHANDLE; }
  MMRESULT Write(WaveOutHandle, WaveHeader*) override { return MMSYSERR_INVALHANDLE; }
  MMRESULT Reset(WaveOutHandle) override { return MMSYSERR_INVALHANDLE; }
  MMRESULT Pause(WaveOutHandle) override { return MMSYSERR_INVALHANDLE; }
  MMRESULT Restart(WaveOutHandle) override { return MMSYSERR_INVALHANDLE; }
  MMRESULT GetPositionBytes(WaveOutHandle, std::uint32_t*) override { return MMSYSERR_INVALHANDLE; }
  MMRESULT Close(WaveOutHandle) override { return MMSYSERR_INVALHANDLE; }
};
}  // namespace

std::unique_ptr<WaveOut> CreateVirtualWaveOut(HeadlessHost&) { return std::make_unique<NoWaveOut>(); }
}  // namespace platform::headless
