#include "platform/win32/GdiText.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <tuple>

#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/win32/Text.h"

namespace platform::win32 {
namespace {

// One memory DC for the process, with the fonts made so far. GDI objects
// live as long as the program.
class Rasteriser {
 public:
  Rasteriser() {
    const std::wstring font = Widen(ExecutableFolder() + kFontFile);
    // Missing, the face falls back to the system's own; the game goes on.
    AddFontResourceExW(font.c_str(), FR_PRIVATE, nullptr);
    dc_ = CreateCompatibleDC(nullptr);
    if (!dc_) throw IoError("Cannot create a drawing context: " + SystemMessage(GetLastError()));
  }

  TextImage Render(const std::string& utf8, int sizePoints, bool bold, bool italic) {
    TextImage out;
    SelectObject(dc_, Font(sizePoints, bold, italic));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc_, &metrics);
    out.height = metrics.tmHeight;
    if (utf8.empty()) {
      out.height = 0;
      return out;
    }
    const std::wstring text = Widen(utf8);
    SIZE extent{};
    GetTextExtentPoint32W(dc_, text.c_str(), int(text.size()), &extent);
    const int advance = std::max<int>(extent.cx, 0);
    const int height = std::max<int>(extent.cy, metrics.tmHeight);
    if (advance == 0 || height == 0) return out;
    // An italic face leans past its advance and a glyph may reach left of
    // its origin (tmOverhang is 0 for TrueType faces): the text is drawn with
    // room on both sides and the cell takes in every stroke it drew.
    const int room = height;
    const int drawnWidth = advance + 2 * room;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = drawnWidth;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) throw IoError("Cannot render text: " + SystemMessage(GetLastError()));
    HGDIOBJ old = SelectObject(dc_, bitmap);
    std::memset(bits, 0, std::size_t(drawnWidth) * height * 4);
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, RGB(255, 255, 255));
    SetTextAlign(dc_, TA_TOP | TA_LEFT);
    ExtTextOutW(dc_, room, 0, 0, nullptr, text.c_str(), UINT(text.size()), nullptr);
    GdiFlush();
    TextImage drawn;
    drawn.width = drawnWidth;
    drawn.height = height;
    drawn.coverage.resize(std::size_t(drawnWidth) * height);
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    // White on black: the green channel is the coverage.
    for (std::size_t i = 0; i < drawn.coverage.size(); ++i) drawn.coverage[i] = std::uint8_t(pixels[i] >> 8);
    SelectObject(dc_, old);
    DeleteObject(bitmap);

    // The cell: the advance, widened to the ink with a blank column beyond.
    const Rect ink = InkBounds(drawn);
    const int left = ink.right > 0 ? std::min(room, std::max(ink.left - 1, 0)) : room;
    const int right = ink.right > 0 ? std::max(room + advance, std::min(ink.right + 1, drawnWidth)) : room + advance;
    out.width = right - left;
    out.height = height;
    out.coverage.resize(std::size_t(out.width) * height);
    for (int y = 0; y < height; ++y)
      std::memcpy(&out.coverage[std::size_t(y) * out.width], &drawn.coverage[std::size_t(y) * drawnWidth + left],
                  std::size_t(out.width));
    KeepInkOffTheEdges(out);
    return out;
  }

 private:
  HFONT Font(int sizePoints, bool bold, bool italic) {
    const auto key = std::make_tuple(sizePoints, bold, italic);
    const auto found = fonts_.find(key);
    if (found != fonts_.end()) return found->second;
    // Negative: the em height in pixels, the point size at 96 dpi.
    const int height = -MulDiv(std::max(sizePoints, 1), 96, 72);
    HFONT font = CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                             kFontFace);
    if (!font) throw IoError("Cannot create font: " + SystemMessage(GetLastError()));
    return fonts_[key] = font;
  }

  HDC dc_ = nullptr;
  std::map<std::tuple<int, bool, bool>, HFONT> fonts_;
};

}  // namespace

TextImage RasteriseText(const std::string& utf8, int sizePoints, bool bold, bool italic) {
  static Rasteriser rasteriser;
  return rasteriser.Render(utf8, sizePoints, bold, italic);
}

}  // namespace platform::win32
