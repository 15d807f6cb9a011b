// The headless wave-out device: it plays the written blocks one after another
// at the format's byte rate in the host's virtual time, reports each finished
// block with mm::kWomDone at the virtual instant its last byte is played, and
// records every byte it plays. Tests give it a list of devices and faults to
// reach the mixer's device rules and error paths.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/WaveOut.h"
#include "platform/headless/HeadlessHost.h"

namespace platform::headless {

struct VirtualDevice {
  std::string name;  // the product name; cut to 31 characters in the caps
  std::uint16_t channels = 2;
  std::uint32_t support = 0;  // WAVECAPS_* flags
  bool capsFail = false;      // GetDevCaps refuses this device
};

struct VirtualWaveOutConfig {
  std::vector<VirtualDevice> devices{VirtualDevice{"Virtual Wave Out", 2, 0, false}};
  // What mm::kWaveMapper (-1) reports; it plays like any device. It exists only
  // while there is at least one device.
  VirtualDevice mapper{"Virtual Wave Mapper", 2, 0, false};
};

// Faults to inject; 0 means none. Counts are 1-based over the device's life.
struct VirtualWaveOutFaults {
  MmResult openResult = 0;   // Open returns this
  MmResult queryResult = 0;  // QueryFormat returns this
  int failPrepareNumber = 0;  // the Nth PrepareHeader returns prepareResult
  MmResult prepareResult = mm::kNoMemory;
  int failWriteNumber = 0;  // the Nth Write returns writeResult
  MmResult writeResult = mm::kError;
};

class VirtualWaveOut final : public WaveOut, public TimedSource {
 public:
  explicit VirtualWaveOut(HeadlessHost& host, VirtualWaveOutConfig config = {});
  ~VirtualWaveOut() override;
  VirtualWaveOut(const VirtualWaveOut&) = delete;
  VirtualWaveOut& operator=(const VirtualWaveOut&) = delete;

  std::uint32_t GetNumDevs() override;
  MmResult GetDevCaps(int deviceId, WaveOutCaps* caps) override;
  // Any device plays 8- or 16-bit PCM, mono or stereo, at any positive rate.
  MmResult QueryFormat(int deviceId, const PcmWaveFormat& format) override;
  // One open at a time; a second gives mm::kAllocated.
  MmResult Open(WaveOutHandle* handle, int deviceId, const PcmWaveFormat& format,
                WindowHandle callbackWindow) override;
  MmResult PrepareHeader(WaveOutHandle handle, WaveHeader* header) override;
  MmResult UnprepareHeader(WaveOutHandle handle, WaveHeader* header) override;
  MmResult Write(WaveOutHandle handle, WaveHeader* header) override;
  MmResult Reset(WaveOutHandle handle) override;
  MmResult Pause(WaveOutHandle handle) override;
  MmResult Restart(WaveOutHandle handle) override;
  MmResult GetPositionBytes(WaveOutHandle handle, std::uint32_t* bytes) override;
  // Refused with mm::kStillPlaying while blocks are queued.
  MmResult Close(WaveOutHandle handle) override;

  std::uint64_t NextEventMicros() const override;
  void RunDue(std::uint64_t nowMicros) override;

  // Every byte played since construction (or the last ClearRecording), in
  // order; a block cut by Reset contributes the part that was played.
  const std::vector<std::uint8_t>& Recording() const;
  void ClearRecording();
  // Recording is on by default; off, nothing is kept (and nothing allocated).
  void SetRecording(bool record);
  // With gaps recorded, the time the open, running device spent with
  // nothing to play is recorded as silence (0x80 for 8-bit, 0 for 16-bit).
  void SetRecordGaps(bool record);

  VirtualWaveOutFaults& Faults();
  // Unplugs the device (false: plugs it in again). Unplugged, no device is
  // listed; an open device stops playing where it is, and every call on its
  // handle but Close fails with mm::kNoDriver, even once the device is back;
  // Close releases it, and a new open plays again.
  void SetUnplugged(bool unplugged);
  bool Unplugged() const;
  bool IsOpen() const;
  int OpenDeviceId() const;
  const PcmWaveFormat& OpenFormat() const;
  bool Paused() const;
  std::size_t QueuedBlocks() const;
  // Calls of the WaveOut operations so far, successful or not.
  std::uint32_t Calls() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The default device: one device reporting 2 channels and no flags.
std::unique_ptr<WaveOut> CreateVirtualWaveOut(HeadlessHost& host);

}  // namespace platform::headless
