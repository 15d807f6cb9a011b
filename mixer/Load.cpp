#include "mixer/Load.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <utility>

#include "mixer/Convert.h"
#include "mixer/Session.h"
#include "platform/PlainFile.h"

namespace mixer {
namespace {

class MemorySource final : public WaveSource {
 public:
  MemorySource(const void* bytes, std::size_t size) : bytes_(static_cast<const std::uint8_t*>(bytes)), size_(size) {}
  std::size_t Read(std::uint64_t offset, void* into, std::size_t count) override {
    if (offset >= size_) return 0;
    const std::size_t n = std::size_t(std::min<std::uint64_t>(count, size_ - offset));
    std::memcpy(into, bytes_ + offset, n);
    return n;
  }
  std::uint64_t Size() const override { return size_; }

 private:
  const std::uint8_t* bytes_;
  std::size_t size_;
};

// The largest wave file taken. Every wave is held whole in memory, in the
// session's format (up to 16 times the bytes of an 8-bit mono file at a
// quarter of the rate), so 256 MB (25 minutes of CD sound) is already far
// more than a mixer of short sounds is for; a larger file is refused before
// anything is read or allocated.
constexpr std::uint64_t kWaveFileLimit = std::uint64_t(256) << 20;

class FileSource final : public WaveSource {
 public:
  explicit FileSource(std::unique_ptr<platform::PlainFile> file) : file_(std::move(file)) {}
  std::size_t Read(std::uint64_t offset, void* into, std::size_t count) override {
    return file_->ReadAt(offset, into, count);
  }
  std::uint64_t Size() const override { return file_->Size(); }

 private:
  std::unique_ptr<platform::PlainFile> file_;
};

std::uint32_t Le32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }

struct Chunk {
  std::uint32_t id;
  std::uint32_t size;
  std::uint64_t dataOffset;
};

bool ReadChunkHeader(WaveSource& source, std::uint64_t offset, Chunk& chunk) {
  std::uint8_t header[8];
  if (source.Read(offset, header, 8) != 8) return false;
  chunk = {Le32(header), Le32(header + 4), offset + 8};
  return true;
}

std::uint64_t ChunkEnd(const Chunk& chunk) { return chunk.dataOffset + chunk.size + (chunk.size & 1); }

// Searches the chunks from `offset` up to `limit` for one with the id.
bool FindChunk(WaveSource& source, std::uint64_t offset, std::uint64_t limit, std::uint32_t id, Chunk& found) {
  Chunk chunk;
  while (offset < limit && ReadChunkHeader(source, offset, chunk)) {
    if (chunk.id == id) {
      found = chunk;
      return true;
    }
    offset = ChunkEnd(chunk);
  }
  return false;
}

bool IsNumber(const void* source) { return (reinterpret_cast<std::uintptr_t>(source) >> 16) == 0; }

std::string NumberOf(const void* source) {
  return std::to_string(reinterpret_cast<std::uintptr_t>(source) & 0xFFFF);
}

// A memory file as mmioOpen would open it: our own I/O procedure only, over
// a buffer that holds something.
bool OpenMemoryFile(MMIOINFO& info) {
  if (info.fccIOProc != kFourCCMem) {
    info.wErrorRet = kMmioErrCannotOpen;
    return false;
  }
  if (!info.pchBuffer || info.cchBuffer <= 0) {
    info.wErrorRet = kMmioErrInvalidFile;
    return false;
  }
  info.wErrorRet = 0;
  return true;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

}  // namespace

MMIOINFO MemoryImage(const void* bytes, std::size_t size) {
  MMIOINFO info{};
  info.fccIOProc = kFourCCMem;
  info.pchBuffer = static_cast<char*>(const_cast<void*>(bytes));
  info.cchBuffer = std::int32_t(std::min<std::size_t>(size, 0x7FFFFFFF));
  return info;
}

void ResourceModule::Add(const std::string& name, const void* bytes, std::size_t size) {
  entries_.push_back({name, 0, bytes, size});
}

void ResourceModule::Add(std::uint16_t id, const void* bytes, std::size_t size) {
  entries_.push_back({std::string(), id, bytes, size});
}

ResourceModule::Found ResourceModule::Find(const char* nameOrId) const {
  for (const Entry& e : entries_) {
    if (IsNumber(nameOrId)) {
      if (e.name.empty() && e.id == (reinterpret_cast<std::uintptr_t>(nameOrId) & 0xFFFF))
        return {true, e.bytes, e.size};
      continue;
    }
    if (e.name.empty() || e.name.size() != std::strlen(nameOrId)) continue;
    bool same = true;
    for (std::size_t i = 0; i < e.name.size() && same; ++i) same = Lower(e.name[i]) == Lower(nameOrId[i]);
    if (same) return {true, e.bytes, e.size};
  }
  return {false, nullptr, 0};
}

ResourceModule& ProgramResources() {
  static ResourceModule module;
  return module;
}

WaveLayout WalkRiff(WaveSource& source) {
  const std::uint32_t riffId = FourCC('R', 'I', 'F', 'F');
  Chunk riff;
  std::uint64_t offset = 0;
  for (;;) {
    if (!ReadChunkHeader(source, offset, riff)) throw EWaveMixError("This is not a WAVE file");
    std::uint8_t form[4];
    if (riff.id == riffId && riff.size >= 4 && source.Read(riff.dataOffset, form, 4) == 4 &&
        Le32(form) == FourCC('W', 'A', 'V', 'E'))
      break;
    offset = ChunkEnd(riff);
  }
  const std::uint64_t riffEnd = riff.dataOffset + riff.size;

  Chunk fmt;
  if (!FindChunk(source, riff.dataOffset + 4, riffEnd, FourCC('f', 'm', 't', ' '), fmt))
    throw EWaveMixError("WAVE file is corrupted");
  WaveLayout layout{};
  // Sixteen bytes from the chunk's start, as the source holds them: only the
  // end of the source makes them short.
  std::uint8_t raw[16];
  if (source.Read(fmt.dataOffset, raw, 16) != 16) throw EWaveMixError("Failed to read format chunk");
  std::memcpy(&layout.format, raw, 16);
  if (layout.format.formatTag != 1) throw EWaveMixError("The file is not a PCM file");

  Chunk data;
  if (!FindChunk(source, ChunkEnd(fmt), riffEnd, FourCC('d', 'a', 't', 'a'), data))
    throw EWaveMixError("WAVE file has no data chunk");
  if (data.size == 0) throw EWaveMixError("The data chunk has no data");
  layout.dataOffset = data.dataOffset;
  layout.dataSize = data.size;
  return layout;
}

MixWave* WaveMixLoadWave(MixSession* hMixSession, const void* source, const ResourceModule* module,
                         std::uint32_t flags) {
  MixSession* s = CheckSession(hMixSession);
  if (Device().QueryFormat(s->deviceId, s->format) != platform::mm::kNoError)
    throw EWaveMixError("The waveform device can\xB4t play this format");

  std::unique_ptr<MixWave> wave(new (std::nothrow) MixWave{});
  if (!wave) throw EWaveMixError(kMemoryMessage);

  std::unique_ptr<WaveSource> input;
  if (flags & LOAD_RESOURCE) {
    const ResourceModule& table = module ? *module : ProgramResources();
    const char* name = static_cast<const char*>(source);
    const ResourceModule::Found found = source ? table.Find(name) : ResourceModule::Found{false, nullptr, 0};
    if (!found.found)
      throw EWaveMixError("Failed to open \"WAVE\" resource " + (IsNumber(source) ? NumberOf(source) : std::string(name)));
    if (!found.bytes) throw EWaveMixError("Failed to lock \"WAVE\" resource");
    MMIOINFO info = MemoryImage(found.bytes, found.size);
    if (!OpenMemoryFile(info))
      throw EWaveMixError("Failed to open resource, mmioOpen error= " + std::to_string(info.wErrorRet) +
                          ".#13May need to make sure resource is marked read-write");
    input = std::make_unique<MemorySource>(info.pchBuffer, std::size_t(info.cchBuffer));
  } else if (flags & LOAD_MEMORY) {
    // The caller's record stays as it was; nil reads as an empty record.
    MMIOINFO info = source ? *static_cast<const MMIOINFO*>(source) : MMIOINFO{};
    if (!OpenMemoryFile(info))
      throw EWaveMixError("Failed to open memory file, mmioOpen error=" + std::to_string(info.wErrorRet) +
                          ".#13May need to make sure memory is read-write");
    input = std::make_unique<MemorySource>(info.pchBuffer, std::size_t(info.cchBuffer));
  } else {
    const char* path = IsNumber(source) ? "" : static_cast<const char*>(source);
    // A plain file only: a FIFO, a device or a directory at the name fails
    // as a missing file does.
    std::string reason;
    std::unique_ptr<platform::PlainFile> file = platform::PlainFile::Open(path, kWaveFileLimit, reason);
    if (!file) throw EWaveMixError(std::string("Failed to open wave file ") + path);
    input = std::make_unique<FileSource>(std::move(file));
  }

  const WaveLayout layout = WalkRiff(*input);
  wave->format = layout.format;
  // A size field beyond what the source holds is a short chunk; nothing that
  // large is allocated for it.
  if (layout.dataSize > input->Size() - std::min(input->Size(), layout.dataOffset))
    throw EWaveMixError("Failed to read data chunk");
  std::uint32_t length = layout.dataSize;
  Samples data(new (std::nothrow) std::uint8_t[length]);
  if (!data) throw EWaveMixError(kMemoryMessage);
  if (input->Read(layout.dataOffset, data.get(), length) != length) throw EWaveMixError("Failed to read data chunk");

  data = ConvertWave(s->format, wave->format, std::move(data), length);
  if (!data) throw EWaveMixError("Failed to convert wave format");
  input.reset();

  wave->length = length;
  HoldWave(wave.get());
  wave->data = data.release();
  if (!(flags & (LOAD_RESOURCE | LOAD_MEMORY)) || (flags & LOAD_RESOURCE)) {
    if (IsNumber(source)) {
      std::snprintf(wave->name, sizeof wave->name, "res#%u", unsigned(reinterpret_cast<std::uintptr_t>(source) & 0xFFFF));
    } else {
      std::strncpy(wave->name, static_cast<const char*>(source), 15);
    }
  }
  return wave.release();
}

}  // namespace mixer
