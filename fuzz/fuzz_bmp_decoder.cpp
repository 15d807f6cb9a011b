// libFuzzer target for the BMP decoder: the input is the file. Either it is
// refused with an IoError whose text begins with the name it was given, or
// it gives a picture of 1 to 4096 pixels each way with one 0x00RRGGBB value
// per pixel, and no more pixels than the file's bytes can describe (at most
// 128 per byte: 1-bit rows, or 255 per 2-byte run-length code).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/Bmp.h"
#include "platform/Errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string kName = "cg/start.bmp";
  platform::Image image;
  try {
    image = platform::DecodeBmp(data, size, kName);
  } catch (const platform::IoError& e) {
    if (std::string(e.what()).rfind(kName + ": ", 0) != 0) std::abort();
    return 0;
  }
  if (image.width < 1 || image.height < 1 || image.width > platform::kMaxBmpSide ||
      image.height > platform::kMaxBmpSide)
    std::abort();
  const std::uint64_t pixels = std::uint64_t(image.width) * std::uint64_t(image.height);
  if (image.pixels.size() != pixels || pixels > 128 * std::uint64_t(size)) std::abort();
  for (std::uint32_t p : image.pixels)
    if (p > 0xFFFFFF) std::abort();
  return 0;
}
