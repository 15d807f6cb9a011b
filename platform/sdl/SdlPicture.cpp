// The SDL backend's share of pictures: SDL2_image writes PNG files and SDL2_ttf lays out and rasterises the text, one
// TTF_Font per size and style (changing a font's size drops its glyph cache).
#include <SDL.h>
#ifndef __EMSCRIPTEN__
#include <SDL_image.h>
#endif
#include <SDL_ttf.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "platform/Errors.h"
#include "platform/Picture.h"
#include "platform/sdl/Fonts.h"

namespace platform {
namespace {

class SdlPictureCodec final : public PictureCodec {
 public:
  void WritePng(const std::string& path, const std::uint32_t* pixels, int width, int height) override {
#ifdef __EMSCRIPTEN__
    // Shots are the headless runner's; the browser build has no PNG writer.
    (void)pixels, (void)width, (void)height;
    throw IoError(path + ": PNG shots are not built into the web version");
#else
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(pixels), width, height, 32,
                                                              width * 4, SDL_PIXELFORMAT_XRGB8888);
    if (!surface) throw IoError(path + ": " + SDL_GetError());
    const int result = IMG_SavePNG(surface, path.c_str());
    SDL_FreeSurface(surface);
    if (result != 0) throw IoError(path + ": " + IMG_GetError());
#endif
  }
};

class SdlTextRasterizer final : public TextRasterizer {
 public:
  ~SdlTextRasterizer() override {
    for (auto& [key, font] : fonts_) TTF_CloseFont(font);
    if (initialised_) TTF_Quit();
  }

  TextImage Rasterize(int sizePoints, bool bold, bool italic, const std::string& text) override {
    TextImage image;
    if (text.empty()) return image;
    TTF_Font* font = Font(sizePoints, (bold ? TTF_STYLE_BOLD : 0) | (italic ? TTF_STYLE_ITALIC : 0));
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
    KeepInkOffTheEdges(image);
    return image;
  }

  TTF_Font* Font(int sizePoints, int style) {
    auto found = fonts_.find({sizePoints, style});
    if (found != fonts_.end()) return found->second;
    if (!initialised_) {
      if (TTF_Init() != 0) throw IoError(std::string("TTF_Init: ") + TTF_GetError());
      initialised_ = true;
    }
    const std::string path = sdl::FontPath();
    TTF_Font* font = TTF_OpenFontDPI(path.c_str(), std::max(sizePoints, 1), 96, 96);
    if (!font) throw IoError("Cannot open font " + path + ": " + TTF_GetError());
    TTF_SetFontStyle(font, style);
    fonts_[{sizePoints, style}] = font;
    return font;
  }

 private:
  bool initialised_ = false;
  std::map<std::pair<int, int>, TTF_Font*> fonts_;
};

}  // namespace

PictureCodec& BackendPictureCodec() {
  static SdlPictureCodec codec;
  return codec;
}

TextRasterizer& BackendTextRasterizer() {
  static SdlTextRasterizer rasterizer;
  return rasterizer;
}

TTF_Font* sdl::TextFont(int sizePoints, int style) {
  return static_cast<SdlTextRasterizer&>(BackendTextRasterizer()).Font(sizePoints, style);
}

}  // namespace platform
