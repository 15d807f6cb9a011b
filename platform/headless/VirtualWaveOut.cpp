#include "platform/headless/VirtualWaveOut.h"

#include <algorithm>
#include <cstring>

namespace platform::headless {

// Playing is a run of contiguous bytes: from runStartMicros the device plays
// runStartBytes onwards at the byte rate, until it runs out of written data
// (starved) or is paused. Byte counts are since the open or the last reset.
struct VirtualWaveOut::Impl {
  HeadlessHost& host;
  VirtualWaveOutConfig config;
  VirtualWaveOutFaults faults;
  bool unplugged = false;
  // The open device was unplugged: it plays no more and answers only Close.
  bool gone = false;
  std::uint32_t calls = 0;
  int prepares = 0;
  int writes = 0;

  bool open = false;
  WaveOutHandle handle = 0;
  WaveOutHandle lastHandle = 0x5600;
  int deviceId = 0;
  PcmWaveFormat format{};
  WindowHandle window = 0;

  WaveHeader* head = nullptr;
  WaveHeader* tail = nullptr;
  std::size_t queued = 0;
  std::uint64_t headStart = 0;  // byte count at which the head block begins
  std::uint64_t written = 0;
  bool paused = false;
  std::uint64_t frozen = 0;  // the position while paused
  std::uint64_t runStartMicros = 0;
  std::uint64_t runStartBytes = 0;

  std::vector<std::uint8_t> recording;
  bool recordGaps = false;
  bool recordOn = true;
  // The bytes written and not yet played, copied at Write as a device
  // takes them: a caller that changes a queued block before a reset (the
  // mixer's remix does) does not change what was already heard.
  std::vector<std::uint8_t> pending;
  std::uint64_t pendingBase = 0;  // byte count of pending[0]
  std::uint64_t recorded = 0;  // byte count played and recorded
  // Since the open: the instant, and the bytes played or taken as gaps. A
  // gap fills the timeline up to the byte that virtual time has reached, so
  // that rounding does not add up over many gaps.
  std::uint64_t openMicros = 0;
  std::uint64_t timelineBytes = 0;

  explicit Impl(HeadlessHost& h, VirtualWaveOutConfig c) : host(h), config(std::move(c)) {
    pending.reserve(1 << 16);
  }

  std::uint64_t Rate() const { return format.avgBytesPerSec; }

  std::uint64_t Position(std::uint64_t now) const {
    if (paused || gone) return frozen;
    const std::uint64_t played = runStartBytes + (now - runStartMicros) * Rate() / 1000000;
    return std::min(played, written);
  }

  // The instant at which the running device reaches byte count `bytes`.
  std::uint64_t InstantOf(std::uint64_t bytes) const {
    if (bytes <= runStartBytes) return runStartMicros;
    return runStartMicros + ((bytes - runStartBytes) * 1000000 + Rate() - 1) / Rate();
  }

  const VirtualDevice* Device(int id) const {
    if (config.devices.empty() || unplugged) return nullptr;
    if (id == mm::kWaveMapper) return &config.mapper;
    if (id < 0 || std::size_t(id) >= config.devices.size()) return nullptr;
    return &config.devices[std::size_t(id)];
  }

  void RecordPlayed(std::uint64_t position) {
    if (position <= recorded) return;
    if (recordOn) {
      const auto from = pending.begin() + std::ptrdiff_t(recorded - pendingBase);
      recording.insert(recording.end(), from, from + std::ptrdiff_t(position - recorded));
    }
    timelineBytes += position - recorded;
    recorded = position;
    // Forget what was played now and then; the storage stays.
    if (recorded - pendingBase > (1 << 15)) {
      pending.erase(pending.begin(), pending.begin() + std::ptrdiff_t(recorded - pendingBase));
      pendingBase = recorded;
    }
  }

  void ForgetPending() {
    pending.clear();
    pendingBase = recorded = 0;
  }

  // The starved device's silence up to `now`.
  void RecordGap(std::uint64_t now) {
    if (!recordGaps) return;
    const std::uint64_t align = std::max<std::uint16_t>(format.blockAlign, 1);
    std::uint64_t reached = (now - openMicros) * Rate() / 1000000;
    reached -= reached % align;
    if (reached <= timelineBytes) return;
    const std::uint8_t silence = format.bitsPerSample == 8 ? 0x80 : 0x00;
    if (recordOn) recording.insert(recording.end(), reached - timelineBytes, silence);
    timelineBytes = reached;
  }

  WaveHeader* PopHead() {
    WaveHeader* block = head;
    head = block->deviceNext;
    if (!head) tail = nullptr;
    block->deviceNext = nullptr;
    --queued;
    return block;
  }

  void Finish(WaveHeader* block) {
    block->flags.store((block->flags.load() & ~mm::kHeaderInQueue) | mm::kHeaderDone);
    if (window) host.Post(window, mm::kWomDone, handle, reinterpret_cast<std::intptr_t>(block));
  }

  // Finishes the blocks whose last byte has been played by `now`.
  void Sync(std::uint64_t now) {
    if (!open) return;
    const std::uint64_t position = Position(now);
    RecordPlayed(position);
    while (head && position >= headStart + head->bufferLength) {
      headStart += head->bufferLength;
      Finish(PopHead());
    }
  }

  bool Valid(WaveOutHandle h) const { return open && h == handle; }
  // What a call on handle `h` fails with, or kNoError.
  MmResult Check(WaveOutHandle h) const {
    if (!Valid(h)) return mm::kInvalidHandle;
    return gone ? mm::kNoDriver : mm::kNoError;
  }
};

VirtualWaveOut::VirtualWaveOut(HeadlessHost& host, VirtualWaveOutConfig config)
    : impl_(std::make_unique<Impl>(host, std::move(config))) {
  host.AddTimedSource(this);
}

VirtualWaveOut::~VirtualWaveOut() { impl_->host.RemoveTimedSource(this); }

std::uint32_t VirtualWaveOut::GetNumDevs() {
  ++impl_->calls;
  return impl_->unplugged ? 0 : std::uint32_t(impl_->config.devices.size());
}

MmResult VirtualWaveOut::GetDevCaps(int deviceId, WaveOutCaps* caps) {
  ++impl_->calls;
  const VirtualDevice* device = impl_->Device(deviceId);
  if (!device || device->capsFail) return mm::kBadDeviceId;
  if (!caps) return mm::kInvalidParam;
  std::memset(caps, 0, sizeof *caps);
  std::strncpy(caps->productName, device->name.c_str(), sizeof caps->productName - 1);
  caps->channels = device->channels;
  caps->support = device->support;
  return mm::kNoError;
}

namespace {
bool Playable(const PcmWaveFormat& f) {
  return f.formatTag == 1 && (f.channels == 1 || f.channels == 2) &&
         (f.bitsPerSample == 8 || f.bitsPerSample == 16) && f.samplesPerSec > 0 && f.avgBytesPerSec > 0 &&
         f.blockAlign == f.channels * f.bitsPerSample / 8;
}
}  // namespace

MmResult VirtualWaveOut::QueryFormat(int deviceId, const PcmWaveFormat& format) {
  ++impl_->calls;
  if (!impl_->Device(deviceId)) return mm::kBadDeviceId;
  if (impl_->faults.queryResult) return impl_->faults.queryResult;
  return Playable(format) ? mm::kNoError : mm::kBadFormat;
}

MmResult VirtualWaveOut::Open(WaveOutHandle* handle, int deviceId, const PcmWaveFormat& format,
                              WindowHandle callbackWindow) {
  Impl& d = *impl_;
  ++d.calls;
  if (!d.Device(deviceId)) return mm::kBadDeviceId;
  if (d.faults.openResult) return d.faults.openResult;
  if (d.open) return mm::kAllocated;
  if (!Playable(format)) return mm::kBadFormat;
  if (!handle) return mm::kInvalidParam;
  d.open = true;
  d.handle = ++d.lastHandle;
  d.deviceId = deviceId;
  d.format = format;
  d.window = callbackWindow;
  d.head = d.tail = nullptr;
  d.queued = 0;
  d.headStart = d.written = 0;
  d.ForgetPending();
  d.paused = false;
  d.frozen = 0;
  d.runStartMicros = d.openMicros = d.host.NowMicros();
  d.runStartBytes = 0;
  d.timelineBytes = 0;
  *handle = d.handle;
  return mm::kNoError;
}

MmResult VirtualWaveOut::PrepareHeader(WaveOutHandle handle, WaveHeader* header) {
  Impl& d = *impl_;
  ++d.calls;
  if (const MmResult refused = d.Check(handle)) return refused;
  if (!header) return mm::kInvalidParam;
  if (++d.prepares == d.faults.failPrepareNumber) return d.faults.prepareResult;
  header->flags.store(header->flags.load() | mm::kHeaderPrepared);
  return mm::kNoError;
}

MmResult VirtualWaveOut::UnprepareHeader(WaveOutHandle handle, WaveHeader* header) {
  Impl& d = *impl_;
  ++d.calls;
  if (const MmResult refused = d.Check(handle)) return refused;
  if (!header) return mm::kInvalidParam;
  if (header->flags.load() & mm::kHeaderInQueue) return mm::kStillPlaying;
  header->flags.store(header->flags.load() & ~mm::kHeaderPrepared);
  return mm::kNoError;
}

MmResult VirtualWaveOut::Write(WaveOutHandle handle, WaveHeader* header) {
  Impl& d = *impl_;
  ++d.calls;
  if (const MmResult refused = d.Check(handle)) return refused;
  if (!header) return mm::kInvalidParam;
  if (!(header->flags.load() & mm::kHeaderPrepared)) return mm::kUnprepared;
  if (header->flags.load() & mm::kHeaderInQueue) return mm::kStillPlaying;
  if (++d.writes == d.faults.failWriteNumber) return d.faults.writeResult;
  const std::uint64_t now = d.host.NowMicros();
  d.Sync(now);
  if (!d.paused && d.Position(now) == d.written) {
    // Starved: a new run begins now; the silence before it is a gap.
    d.RecordGap(now);
    d.runStartMicros = now;
    d.runStartBytes = d.written;
  }
  header->flags.store((header->flags.load() & ~mm::kHeaderDone) | mm::kHeaderInQueue);
  header->deviceNext = nullptr;
  d.pending.insert(d.pending.end(), header->data, header->data + header->bufferLength);
  if (d.tail) {
    d.tail->deviceNext = header;
  } else {
    d.head = header;
  }
  d.tail = header;
  ++d.queued;
  d.written += header->bufferLength;
  return mm::kNoError;
}

MmResult VirtualWaveOut::Reset(WaveOutHandle handle) {
  Impl& d = *impl_;
  ++d.calls;
  if (const MmResult refused = d.Check(handle)) return refused;
  const std::uint64_t now = d.host.NowMicros();
  d.Sync(now);
  d.ForgetPending();
  while (d.head) d.Finish(d.PopHead());
  d.headStart = d.written = 0;
  d.frozen = 0;
  d.runStartMicros = now;
  d.runStartBytes = 0;
  return mm::kNoError;
}

MmResult VirtualWaveOut::Pause(WaveOutHandle handle) {
  Impl& d = *impl_;
  ++d.calls;
  if (const MmResult refused = d.Check(handle)) return refused;
  if (d.paused) return mm::kNoError;
  const std::uint64_t now = d.host.NowMicros();
  d.Sync(now);
  d.frozen = d.Position(now);
  // A starved device paused to be fed (the mixer's start from idle) was
  // silent until now.
  if (d.frozen == d.written) d.RecordGap(now);
  d.paused = true;
  return mm::kNoError;
}

MmResult VirtualWaveOut::Restart(WaveOutHandle handle) {
  Impl& d = *impl_;
  ++d.calls;
  if (const MmResult refused = d.Check(handle)) return refused;
  if (!d.paused) return mm::kNoError;
  d.paused = false;
  d.runStartMicros = d.host.NowMicros();
  d.runStartBytes = d.frozen;
  return mm::kNoError;
}

MmResult VirtualWaveOut::GetPositionBytes(WaveOutHandle handle, std::uint32_t* bytes) {
  Impl& d = *impl_;
  ++d.calls;
  if (const MmResult refused = d.Check(handle)) return refused;
  if (!bytes) return mm::kInvalidParam;
  const std::uint64_t now = d.host.NowMicros();
  d.Sync(now);
  *bytes = std::uint32_t(d.Position(now));
  return mm::kNoError;
}

MmResult VirtualWaveOut::Close(WaveOutHandle handle) {
  Impl& d = *impl_;
  ++d.calls;
  if (!d.Valid(handle)) return mm::kInvalidHandle;
  if (d.gone) {
    // Nothing more is played; the blocks it held are the caller's again,
    // untouched, as their memory may be gone already.
    d.head = d.tail = nullptr;
    d.queued = 0;
    d.gone = false;
  } else {
    d.Sync(d.host.NowMicros());
    if (d.head) return mm::kStillPlaying;
  }
  d.open = false;
  d.handle = 0;
  d.window = 0;
  return mm::kNoError;
}

std::uint64_t VirtualWaveOut::NextEventMicros() const {
  const Impl& d = *impl_;
  if (!d.open || d.paused || d.gone || !d.head) return kNoEventMicros;
  return d.InstantOf(d.headStart + d.head->bufferLength);
}

void VirtualWaveOut::RunDue(std::uint64_t nowMicros) { impl_->Sync(nowMicros); }

const std::vector<std::uint8_t>& VirtualWaveOut::Recording() const { return impl_->recording; }
void VirtualWaveOut::ClearRecording() { impl_->recording.clear(); }
void VirtualWaveOut::SetRecording(bool record) { impl_->recordOn = record; }
void VirtualWaveOut::SetRecordGaps(bool record) { impl_->recordGaps = record; }
VirtualWaveOutFaults& VirtualWaveOut::Faults() { return impl_->faults; }

void VirtualWaveOut::SetUnplugged(bool unplugged) {
  Impl& d = *impl_;
  if (unplugged && d.open && !d.gone) {
    const std::uint64_t now = d.host.NowMicros();
    d.Sync(now);
    d.frozen = d.Position(now);
    d.gone = true;
  }
  d.unplugged = unplugged;
}

bool VirtualWaveOut::Unplugged() const { return impl_->unplugged; }
bool VirtualWaveOut::IsOpen() const { return impl_->open; }
int VirtualWaveOut::OpenDeviceId() const { return impl_->deviceId; }
const PcmWaveFormat& VirtualWaveOut::OpenFormat() const { return impl_->format; }
bool VirtualWaveOut::Paused() const { return impl_->paused; }
std::size_t VirtualWaveOut::QueuedBlocks() const { return impl_->queued; }
std::uint32_t VirtualWaveOut::Calls() const { return impl_->calls; }

std::unique_ptr<WaveOut> CreateVirtualWaveOut(HeadlessHost& host) {
  return std::make_unique<VirtualWaveOut>(host);
}

}  // namespace platform::headless
