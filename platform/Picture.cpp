// Pictures on plain pixel buffers: the copies, the boxes and the compositing
// of text are ours, so a frame needs no surface and no allocation once its
// texts have been seen. The files are decoded by our own BMP decoder; the
// backend draws the glyphs.
#include "platform/Picture.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/Bmp.h"
#include "platform/Errors.h"
#include "platform/PlainFile.h"

namespace platform {
namespace {

// Rendered texts are kept for reuse; past this many the cache starts afresh
// so a long session cannot grow it without bound.
constexpr std::size_t kMaxCachedTexts = 4096;

std::uint32_t Pack(Color c) { return (std::uint32_t(c.r) << 16) | (std::uint32_t(c.g) << 8) | c.b; }

Color Unpack(std::uint32_t p) {
  return Color{std::uint8_t(p >> 16), std::uint8_t(p >> 8), std::uint8_t(p)};
}

// The texts drawn so far, by size, style and text.
class TextCache {
 public:
  const TextImage& Get(int sizePoints, bool bold, bool italic, const std::string& text) {
    Key key{sizePoints, bold, italic, text};
    auto found = texts_.find(key);
    if (found != texts_.end()) return found->second;
    if (texts_.size() >= kMaxCachedTexts) texts_.clear();
    TextImage image;
    if (!text.empty()) image = BackendTextRasterizer().Rasterize(sizePoints, bold, italic, text);
    return texts_.emplace(std::move(key), std::move(image)).first->second;
  }

 private:
  using Key = std::tuple<int, bool, bool, std::string>;
  std::map<Key, TextImage> texts_;
};

TextCache& Texts() {
  static TextCache cache;
  return cache;
}

}  // namespace

Rect InkBounds(const TextImage& image) {
  Rect ink{image.width, image.height, 0, 0};
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      if (image.coverage[std::size_t(y) * image.width + x] == 0) continue;
      ink.left = std::min(ink.left, x);
      ink.top = std::min(ink.top, y);
      ink.right = std::max(ink.right, x + 1);
      ink.bottom = std::max(ink.bottom, y + 1);
    }
  return ink.right == 0 ? Rect{} : ink;
}

void KeepInkOffTheEdges(TextImage& image) {
  const Rect ink = InkBounds(image);
  if (ink.right == 0) return;
  const int left = ink.left == 0 ? 1 : 0, top = ink.top == 0 ? 1 : 0;
  const int right = ink.right == image.width ? 1 : 0, bottom = ink.bottom == image.height ? 1 : 0;
  if (left + top + right + bottom == 0) return;
  TextImage grown;
  grown.width = image.width + left + right;
  grown.height = image.height + top + bottom;
  grown.coverage.assign(std::size_t(grown.width) * grown.height, 0);
  for (int y = 0; y < image.height; ++y)
    std::copy_n(&image.coverage[std::size_t(y) * image.width], image.width,
                &grown.coverage[std::size_t(y + top) * grown.width + left]);
  image = std::move(grown);
}

struct Picture::Impl {
  int width = 0, height = 0;
  bool loaded = false;
  std::uint64_t version = 0;
  std::vector<std::uint32_t> pixels;
  std::vector<std::uint32_t> scratch;  // the picture as it was, for copies onto itself
  std::vector<int> columns;            // source column of each column of a copy
  Color font, brush{255, 255, 255}, pen;
  int fontSize = 8;
  bool bold = false, italic = false;

  void Resize(int w, int h) {
    width = w;
    height = h;
    pixels.assign(std::size_t(w) * h, 0xFFFFFF);
  }

  void Load(const void* bytes, std::size_t size, const std::string& what) {
    Image image = DecodeBmp(bytes, size, what);
    width = image.width;
    height = image.height;
    pixels = std::move(image.pixels);
    for (std::uint32_t& p : pixels) p &= 0xFFFFFF;
    loaded = true;
    ++version;
  }

  void Fill(int left, int top, int right, int bottom, std::uint32_t colour) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, width);
    bottom = std::min(bottom, height);
    for (int y = top; y < bottom; ++y)
      std::fill(pixels.begin() + std::size_t(y) * width + left, pixels.begin() + std::size_t(y) * width + right,
                colour);
  }
};

Picture::Picture(int width, int height) : impl_(std::make_unique<Impl>()) { impl_->Resize(width, height); }

Picture::~Picture() = default;

int Picture::Width() const { return impl_->width; }
int Picture::Height() const { return impl_->height; }
bool Picture::Loaded() const { return impl_->loaded; }

void Picture::LoadFromFile(const std::string& path) {
  // A plain file of at most 64 MB: a FIFO, a device or a directory at the
  // name fails as a missing file does, with the system's reason.
  std::string reason;
  const std::optional<std::string> bytes = ReadPlainFile(path, kPlainFileLimit, reason);
  if (!bytes) throw IoError("Cannot open file \"" + path + "\". " + reason);
  impl_->Load(bytes->data(), bytes->size(), path);
}

void Picture::LoadFromMemory(const void* bytes, std::size_t size) { impl_->Load(bytes, size, "picture"); }

void Picture::SetFont(Color color, int sizePoints, bool bold, bool italic) {
  impl_->font = color;
  impl_->fontSize = sizePoints;
  impl_->bold = bold;
  impl_->italic = italic;
}

void Picture::SetBrush(Color color) { impl_->brush = color; }
void Picture::SetPen(Color color) { impl_->pen = color; }

void Picture::CopyRect(Rect dest, const Picture& source, Rect sourceRect) {
  Impl& d = *impl_;
  const Impl& s = *source.impl_;
  const int destW = dest.right - dest.left, destH = dest.bottom - dest.top;
  const int srcW = sourceRect.right - sourceRect.left, srcH = sourceRect.bottom - sourceRect.top;
  if (destW <= 0 || destH <= 0 || srcW <= 0 || srcH <= 0) return;
  const std::uint32_t* from = s.pixels.data();
  if (&s == &d) {
    d.scratch = d.pixels;  // same size every time: no allocation after the first
    from = d.scratch.data();
  }
  const int x0 = std::max(dest.left, 0), x1 = std::min(dest.right, d.width);
  const int y0 = std::max(dest.top, 0), y1 = std::min(dest.bottom, d.height);
  if (x0 >= x1 || y0 >= y1) return;
  // Nearest source column of every destination column, worked out once per
  // copy (the buffer keeps its size, so this allocates only the first time);
  // -1 marks a column that falls outside the source.
  d.columns.resize(std::size_t(d.width));
  for (int x = x0; x < x1; ++x) {
    const int sx = sourceRect.left + int(std::int64_t(x - dest.left) * srcW / destW);
    d.columns[std::size_t(x)] = sx >= 0 && sx < s.width ? sx : -1;
  }
  const int* columns = d.columns.data();
  for (int y = y0; y < y1; ++y) {
    const int sy = sourceRect.top + int(std::int64_t(y - dest.top) * srcH / destH);
    if (sy < 0 || sy >= s.height) continue;
    std::uint32_t* out = &d.pixels[std::size_t(y) * d.width];
    const std::uint32_t* in = from + std::size_t(sy) * s.width;
    for (int x = x0; x < x1; ++x)
      if (columns[x] >= 0) out[x] = in[columns[x]];
  }
  ++d.version;
}

void Picture::PutText(int x, int y, const std::string& utf8) {
  Impl& d = *impl_;
  const TextImage& text = Texts().Get(d.fontSize, d.bold, d.italic, utf8);
  const std::uint32_t bg = Pack(d.brush);
  const int fr = d.font.r, fg = d.font.g, fb = d.font.b;
  const int br = d.brush.r, bgc = d.brush.g, bb = d.brush.b;
  for (int row = 0; row < text.height; ++row) {
    const int py = y + row;
    if (py < 0 || py >= d.height) continue;
    for (int col = 0; col < text.width; ++col) {
      const int px = x + col;
      if (px < 0 || px >= d.width) continue;
      const int c = text.coverage[std::size_t(row) * text.width + col];
      std::uint32_t& out = d.pixels[std::size_t(py) * d.width + px];
      if (c == 0) {
        out = bg;
      } else {
        out = Pack(Color{std::uint8_t(br + (fr - br) * c / 255), std::uint8_t(bgc + (fg - bgc) * c / 255),
                         std::uint8_t(bb + (fb - bb) * c / 255)});
      }
    }
  }
  ++d.version;
}

int Picture::TextWidth(const std::string& utf8) {
  const Impl& d = *impl_;
  return Texts().Get(d.fontSize, d.bold, d.italic, utf8).width;
}

Rect Picture::TextInk(const std::string& utf8) {
  const Impl& d = *impl_;
  return InkBounds(Texts().Get(d.fontSize, d.bold, d.italic, utf8));
}

void Picture::Rectangle(int left, int top, int right, int bottom) {
  Impl& d = *impl_;
  if (right <= left || bottom <= top) return;
  const std::uint32_t pen = Pack(d.pen);
  d.Fill(left, top, right, bottom, pen);
  d.Fill(left + 1, top + 1, right - 1, bottom - 1, Pack(d.brush));
  ++d.version;
}

Color Picture::PixelAt(int x, int y) const {
  if (x < 0 || y < 0 || x >= impl_->width || y >= impl_->height) return Color{};
  return Unpack(impl_->pixels[std::size_t(y) * impl_->width + x]);
}

const std::uint32_t* Picture::Pixels() const { return impl_->pixels.data(); }

std::uint64_t Picture::Version() const { return impl_->version; }

void Picture::SavePng(const std::string& path) const {
  BackendPictureCodec().WritePng(path, impl_->pixels.data(), impl_->width, impl_->height);
}

}  // namespace platform
