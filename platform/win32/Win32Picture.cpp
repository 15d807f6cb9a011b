// The Windows backend's share of pictures: our own PNG writer, and GDI
// drawing the texts in IPA P Gothic, shipped beside the program.
#include <cstdio>

#include "platform/Errors.h"
#include "platform/Picture.h"
#include "platform/win32/GdiText.h"
#include "platform/win32/Png.h"
#include "platform/win32/Text.h"

namespace platform {
namespace {

class Win32PictureCodec final : public PictureCodec {
 public:
  void WritePng(const std::string& path, const std::uint32_t* pixels, int width, int height) override {
    const std::string png = win32::EncodePng(pixels, width, height);
    std::FILE* file = _wfopen(win32::Widen(path).c_str(), L"wb");
    if (!file) throw IoError(path + ": cannot create the file");
    const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    if (std::fclose(file) != 0 || !written) throw IoError(path + ": cannot write the file");
  }
};

class GdiTextRasterizer final : public TextRasterizer {
 public:
  TextImage Rasterize(int sizePoints, bool bold, bool italic, const std::string& utf8) override {
    return win32::RasteriseText(utf8, sizePoints, bold, italic);
  }
};

}  // namespace

PictureCodec& BackendPictureCodec() {
  static Win32PictureCodec codec;
  return codec;
}

TextRasterizer& BackendTextRasterizer() {
  static GdiTextRasterizer rasterizer;
  return rasterizer;
}

}  // namespace platform
