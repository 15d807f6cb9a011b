#include "platform/sdl/SdlPictureView.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "platform/Scaling.h"
#ifndef __EMSCRIPTEN__
#include "platform/sdl/SdlWindowIcon.h"
#endif

namespace platform::sdl {
namespace {
// The form's face colour around a picture smaller than the client area.
constexpr Uint8 kFace = 240;

std::runtime_error SdlFailure(const char* what) { return std::runtime_error(std::string(what) + ": " + SDL_GetError()); }
}  // namespace

SdlPictureView::SdlPictureView(const std::string& title, int width, int height) : width_(width), height_(height) {
  window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                             SDL_WINDOW_HIDDEN);
  if (!window_) throw SdlFailure("SDL_CreateWindow");
#ifndef __EMSCRIPTEN__
  // A page has no window icon of ours; the desktop's window has.
  SetWindowIcon(window_);
#endif
  // The software renderer works on every X server, Xvfb without GL included,
  // and a 400 x 300 picture costs it nothing.
  renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer_) {
    std::runtime_error failure = SdlFailure("SDL_CreateRenderer");
    SDL_DestroyWindow(window_);
    throw failure;
  }
  id_ = SDL_GetWindowID(window_);
}

SdlPictureView::~SdlPictureView() {
  if (texture_) SDL_DestroyTexture(texture_);
  SDL_DestroyRenderer(renderer_);
  SDL_DestroyWindow(window_);
}

void SdlPictureView::SetTitle(const std::string& utf8) { SDL_SetWindowTitle(window_, utf8.c_str()); }

void SdlPictureView::SetSize(int width, int height) {
  width_ = width;
  height_ = height;
  FitWindow();
}

void SdlPictureView::SetScale(int scale) {
  scale_ = std::clamp(scale, kMinScale, kMaxScale);
  FitWindow();
}

void SdlPictureView::FitWindow() {
  if (!fullscreen_) SDL_SetWindowSize(window_, width_ * scale_, height_ * scale_);
  dirty_ = true;
}

void SdlPictureView::SetResizable(bool resizable) {
  SDL_SetWindowResizable(window_, resizable ? SDL_TRUE : SDL_FALSE);
  SDL_SetWindowMinimumSize(window_, 1, 1);
}

void SdlPictureView::ToggleFullscreen() {
  fullscreen_ = !fullscreen_;
  SDL_SetWindowFullscreen(window_, fullscreen_ ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  if (!fullscreen_) FitWindow();
  dirty_ = true;
}

int SdlPictureView::ShownFactor() const {
  const Placement place = Place();
  return width_ > 0 ? std::clamp(place.width / width_, kMinScale, kMaxScale) : kMinScale;
}

Placement SdlPictureView::Place() const {
  int w = 0, h = 0;
  SDL_GetWindowSize(window_, &w, &h);
  return PlacePicture(width_, height_, w, h);
}

bool SdlPictureView::ToClient(int windowX, int windowY, int* x, int* y) const {
  return WindowToPicture(Place(), width_, height_, windowX, windowY, x, y);
}

void SdlPictureView::ShowCentred() {
  SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  SDL_ShowWindow(window_);
  shown_ = true;
  dirty_ = true;
  Focus();
}

// Raising asks a window manager for the focus; without one (a bare X server)
// nobody would give it, so the window takes it itself. Drivers without
// focus (dummy) refuse, which is harmless.
void SdlPictureView::Focus() {
  SDL_RaiseWindow(window_);
  SDL_SetWindowInputFocus(window_);
}

void SdlPictureView::Hide() {
  SDL_HideWindow(window_);
  shown_ = false;
}

void SdlPictureView::SetPicture(const Picture* picture) {
  picture_ = picture;
  dirty_ = true;
}

void SdlPictureView::Refresh() {
  if (!shown_) return;
  if (!dirty_ && (!picture_ || picture_->Version() == shownVersion_)) return;
  dirty_ = false;
  // Black bars round the client area, which shows the form's face where the
  // picture does not cover it; each pixel drawn once.
  const Placement place = Place();
  const bool withPicture = picture_ && picture_->Width() > 0 && picture_->Height() > 0 && width_ > 0 && height_ > 0;
  const int shownWidth = withPicture ? int(std::int64_t(picture_->Width()) * place.width / width_) : 0;
  const int shownHeight = withPicture ? int(std::int64_t(picture_->Height()) * place.height / height_) : 0;
  int windowWidth = 0, windowHeight = 0;
  SDL_GetWindowSize(window_, &windowWidth, &windowHeight);
  const Surround around = SurroundPicture(place, windowWidth, windowHeight, shownWidth, shownHeight);
  const auto fill = [this](const Area* areas, int count, Uint8 level) {
    SDL_Rect rects[4];
    for (int i = 0; i < count; ++i) rects[i] = {areas[i].x, areas[i].y, areas[i].width, areas[i].height};
    SDL_SetRenderDrawColor(renderer_, level, level, level, 255);
    if (count > 0) SDL_RenderFillRects(renderer_, rects, count);
  };
  fill(around.bars, around.barCount, 0);
  fill(around.face, around.faceCount, kFace);
  if (withPicture) {
    const int w = picture_->Width(), h = picture_->Height();
    if (!texture_ || textureWidth_ != w || textureHeight_ != h) {
      if (texture_) SDL_DestroyTexture(texture_);
      texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_XRGB8888, SDL_TEXTUREACCESS_STREAMING, w, h);
      textureWidth_ = texture_ ? w : 0;
      textureHeight_ = texture_ ? h : 0;
    }
    if (texture_) {
      SDL_UpdateTexture(texture_, nullptr, picture_->Pixels(), w * 4);
      const SDL_Rect dest{place.x, place.y, shownWidth, shownHeight};
      SDL_RenderCopy(renderer_, texture_, nullptr, &dest);
    }
    shownVersion_ = picture_->Version();
  }
  SDL_RenderPresent(renderer_);
}

Color SdlPictureView::ReadPixel(int x, int y) {
  Refresh();
  // The software renderer keeps the last frame in the window surface.
  Uint32 pixel = 0;
  const SDL_Rect at{x, y, 1, 1};
  if (SDL_RenderReadPixels(renderer_, &at, SDL_PIXELFORMAT_XRGB8888, &pixel, 4) != 0) return Color{};
  return Color{Uint8(pixel >> 16), Uint8(pixel >> 8), Uint8(pixel)};
}

}  // namespace platform::sdl
