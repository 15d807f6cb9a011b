// Pictures on plain pixel buffers. SDL loads the BMP files and SDL2_ttf lays
// out and rasterises the text; the copies and the compositing are ours, so a
// frame needs no surface and no allocation once its texts have been seen.
#include "platform/Picture.h"

#include <SDL.h>
#ifndef __EMSCRIPTEN__
#include <SDL_image.h>
#endif
#include <SDL_ttf.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "platform/Errors.h"

namespace platform {
namespace {

constexpr const char* kDefaultFont = "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf";
// Rendered texts are kept for reuse; past this many the cache starts afresh
// so a long session cannot grow it without bound.
constexpr std::size_t kMaxCachedTexts = 4096;

std::uint32_t Pack(Color c) { return (std::uint32_t(c.r) << 16) | (std::uint32_t(c.g) << 8) | c.b; }

Color Unpack(std::uint32_t p) {
  return Color{std::uint8_t(p >> 16), std::uint8_t(p >> 8), std::uint8_t(p)};
}

std::string FontPath() {
  const char* env = std::getenv("KESTO_FONT");
  return env && *env ? env : kDefaultFont;
}

// A text as SDL2_ttf rasterised it: one coverage byte per pixel of its cell.
struct TextImage {
  int width = 0, height = 0;
  std::vector<std::uint8_t> coverage;
};

// One TTF_Font per size and style (changing a font's size drops its glyph
// cache), and the texts drawn so far.
class TextCache {
 public:
  ~TextCache() {
    for (auto& [key, font] : fonts_) TTF_CloseFont(font);
    if (initialised_) TTF_Quit();
  }

  const TextImage& Get(int sizePoints, int style, const std::string& text) {
    Key key{sizePoints, style, text};
    auto found = texts_.find(key);
    if (found != texts_.end()) return found->second;
    if (texts_.size() >= kMaxCachedTexts) texts_.clear();
    TextImage image = Render(Font(sizePoints, style), text);
    return texts_.emplace(std::move(key), std::move(image)).first->second;
  }

 private:
  using Key = std::tuple<int, int, std::string>;

  TTF_Font* Font(int sizePoints, int style) {
    auto found = fonts_.find({sizePoints, style});
    if (found != fonts_.end()) return found->second;
    if (!initialised_) {
      if (TTF_Init() != 0) throw IoError(std::string("TTF_Init: ") + TTF_GetError());
      initialised_ = true;
    }
    std::string path = FontPath();
    TTF_Font* font = TTF_OpenFontDPI(path.c_str(), std::max(sizePoints, 1), 96, 96);
    if (!font) throw IoError("Cannot open font " + path + ": " + TTF_GetError());
    TTF_SetFontStyle(font, style);
    fonts_[{sizePoints, style}] = font;
    return font;
  }

  static TextImage Render(TTF_Font* font, const std::string& text) {
    TextImage image;
    if (text.empty()) return image;
    // White on black: the shaded surface's palette index is the coverage.
    SDL_Surface* surface =
        TTF_RenderUTF8_Shaded(font, text.c_str(), SDL_Color{255, 255, 255, 255}, SDL_Color{0, 0, 0, 255});
    if (!surface) throw IoError(std::string("Cannot render text: ") + TTF_GetError());
    image.width = surface->w;
    image.height = surface->h;
    image.coverage.resize(std::size_t(image.width) * image.height);
    const auto* rows = static_cast<const std::uint8_t*>(surface->pixels);
    for (int y = 0; y < image.height; ++y)
      std::memcpy(&image.coverage[std::size_t(y) * image.width], rows + y * surface->pitch, image.width);
    SDL_FreeSurface(surface);
    return image;
  }

  bool initialised_ = false;
  std::map<std::pair<int, int>, TTF_Font*> fonts_;
  std::map<Key, TextImage> texts_;
};

TextCache& Texts() {
  static TextCache cache;
  return cache;
}

std::string LoadError(const std::string& path) {
  return "Cannot open file \"" + path + "\". " + std::strerror(errno);
}

}  // namespace

struct Picture::Impl {
  int width = 0, height = 0;
  bool loaded = false;
  std::uint64_t version = 0;
  std::vector<std::uint32_t> pixels;
  std::vector<std::uint32_t> scratch;  // the picture as it was, for copies onto itself
  std::vector<int> columns;            // source column of each column of a copy
  Color font, brush{255, 255, 255}, pen;
  int fontSize = 8;
  int fontStyle = TTF_STYLE_NORMAL;

  void Resize(int w, int h) {
    width = w;
    height = h;
    pixels.assign(std::size_t(w) * h, 0xFFFFFF);
  }

  void Take(SDL_Surface* loaded32) {
    Resize(loaded32->w, loaded32->h);
    for (int y = 0; y < height; ++y) {
      const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(loaded32->pixels) +
                                                               y * loaded32->pitch);
      for (int x = 0; x < width; ++x) pixels[std::size_t(y) * width + x] = row[x] & 0xFFFFFF;
    }
    loaded = true;
    ++version;
  }

  void Load(SDL_RWops* rw, const std::string& what) {
    SDL_Surface* surface = SDL_LoadBMP_RW(rw, 1);
    if (!surface) throw IoError(what + ": " + SDL_GetError());
    SDL_Surface* converted = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_XRGB8888, 0);
    SDL_FreeSurface(surface);
    if (!converted) throw IoError(what + ": " + SDL_GetError());
    Take(converted);
    SDL_FreeSurface(converted);
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
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) throw IoError(LoadError(path));
  SDL_RWops* rw = SDL_RWFromFP(file, SDL_TRUE);
  if (!rw) {
    std::fclose(file);
    throw IoError(path + ": " + SDL_GetError());
  }
  impl_->Load(rw, path);
}

void Picture::LoadFromMemory(const void* bytes, std::size_t size) {
  SDL_RWops* rw = SDL_RWFromConstMem(bytes, int(size));
  if (!rw) throw IoError(std::string("picture: ") + SDL_GetError());
  impl_->Load(rw, "picture");
}

void Picture::SetFont(Color color, int sizePoints, bool bold, bool italic) {
  impl_->font = color;
  impl_->fontSize = sizePoints;
  impl_->fontStyle = (bold ? TTF_STYLE_BOLD : 0) | (italic ? TTF_STYLE_ITALIC : 0);
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
  const TextImage& text = Texts().Get(d.fontSize, d.fontStyle, utf8);
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
#ifdef __EMSCRIPTEN__
  // Shots are the headless runner's; the browser build has no PNG writer.
  throw IoError(path + ": PNG shots are not built into the web version");
#else
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<std::uint32_t*>(impl_->pixels.data()), impl_->width, impl_->height, 32, impl_->width * 4,
      SDL_PIXELFORMAT_XRGB8888);
  if (!surface) throw IoError(path + ": " + SDL_GetError());
  const int result = IMG_SavePNG(surface, path.c_str());
  SDL_FreeSurface(surface);
  if (result != 0) throw IoError(path + ": " + IMG_GetError());
#endif
}

}  // namespace platform
