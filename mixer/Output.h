// The output half of the mixer: the device held by one session, the ring of
// output blocks, mixing the channel queues into them, retiring ended plays
// and re-mixing for plays that must be heard at once. Every operation works
// on currentSession; the public one is WaveMixActivate (WaveMix.h).
#pragma once

#include <cstdint>

#include "mixer/Session.h"

namespace mixer {

constexpr int kBlockSampleSpace = 4096;
constexpr int kBlockSlots = 6;

// What WAVEMIX.INI may ask for: a block must fit its sample space and the
// blocks their slots.
constexpr std::int32_t kMinBlockLength = 512;
constexpr std::int32_t kMaxBlockLength = kBlockSampleSpace;
constexpr std::int32_t kMinBlockCount = 2;
constexpr std::int32_t kMaxBlockCount = kBlockSlots;

// One output block: a device header over its own sample space.
struct MixBlock {
  platform::WaveHeader header;
  std::uint8_t available;  // 1: free for mixing; 0: being mixed or queued
  std::int32_t startPosition;  // timeline position of samples[0]
  MixSession* owner;
  MixBlock* next;  // in blockQueue
  std::uint8_t samples[kBlockSampleSpace];
};

// The session that holds the wave-out device, or nil.
extern MixSession* deviceOwner;
// Allocated while the device is open; only the first blockCount are taken.
extern MixBlock* blocks[kBlockSlots];
// The blocks handed to the device, oldest first; nil when empty.
MixBlock* BlockQueueHead();
MixBlock* BlockQueueTail();

// The position being heard: the device's byte count mapped onto the
// timeline when useDevice is 1, else derived from the clock and timeBase.
std::int32_t GetPlayPosition(platform::WaveOutHandle waveOut, std::uint8_t useDevice);
// Re-bases the timeline so that `position` is heard now and mixed next.
void SetPlayPosition(std::int32_t position);
// Stops the device (every queued block done) and re-bases at the position heard.
void StopAndRebase(platform::WaveOutHandle waveOut);
// Moves the timeline's origin to now when nothing is queued anywhere.
void ResetTimelineIfIdle();

std::int32_t AddOffset(std::uint32_t deviceBytes, std::int32_t offset);
std::int32_t SubtractOffset(std::uint32_t deviceBytes, std::int32_t offset);

void OpenOutputDevice();
void CloseOutputDevice(MixSession* session);
void PrepareBlocks(platform::WaveOutHandle waveOut);
void FreeBlocks(platform::WaveOutHandle waveOut);

MixBlock* TakeFreeBlock();
void ReleaseBlock(MixBlock* block);
void QueueBlock(MixBlock* block);
// The block, or nil (and nothing changed) when it was not queued.
MixBlock* UnqueueBlock(MixBlock* block);
void DrainBlockQueue();

// Mixes blockLength bytes from mixPosition into the block and advances
// mixPosition; with `write` queues and writes it. False (and the block
// released when writing) when no play is left to mix.
bool MixIntoBlock(MixBlock* block, bool write);
// destination[i] = 128 + sum over the sources of (source[i] - 128), clipped
// to 0..255; one source is copied as it is.
void MixSamples(std::uint8_t* destination, const std::uint8_t* const* sources, int count, int length);
void FillFreeBlocks();
void RetireEndedPlays();
// What a block-done notice triggers: reclaim done blocks, retire, refill.
void PumpBlocks();

// The two remix routines (Session.h, RemixRoutine).
void RemixBlocks(std::int32_t start, MixPlayRequest* request);
void DeferToMixPosition(std::int32_t start, MixPlayRequest* request);

// The procedure of the "WavMix32" window class.
void CallbackWindowProc(platform::WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                        std::intptr_t lParam);

}  // namespace mixer
