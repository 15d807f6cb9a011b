// An SDL window that shows a Picture from the top-left corner of its client
// area, on the form's grey where the client area is bigger than the picture.
// The client area is enlarged by a whole factor; a window resized or made
// fullscreen shows it as large as whole factors allow, centred on black
// bars (platform/Scaling.h), nearest-neighbour. It uploads the
// pixels only when the picture's version has moved on or the window was
// exposed, so calling Refresh after every event costs next to nothing.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

#include "platform/Picture.h"
#include "platform/Scaling.h"

namespace platform::sdl {

class SdlPictureView {
 public:
  // A hidden, fixed-size window. Throws std::runtime_error with SDL's
  // message when the window or its renderer cannot be made.
  SdlPictureView(const std::string& title, int width, int height);
  ~SdlPictureView();
  SdlPictureView(const SdlPictureView&) = delete;
  SdlPictureView& operator=(const SdlPictureView&) = delete;

  SDL_Window* Window() const { return window_; }
  std::uint32_t Id() const { return id_; }

  void SetTitle(const std::string& utf8);
  // The client area, in picture pixels; the window is scale times as large.
  void SetSize(int width, int height);
  // The factor of enlargement, kMinScale to kMaxScale (clamped).
  void SetScale(int scale);
  // The whole factor the client area is shown at now (at least 1): the
  // scale, or what a resized or fullscreen window gives it.
  int ShownFactor() const;
  void SetResizable(bool resizable);
  // Fullscreen on the desktop's resolution, or back to the scaled size.
  void ToggleFullscreen();
  // Where the client area lies in the window now.
  Placement Place() const;
  // The client pixel under window pixel (windowX, windowY); false on a bar.
  bool ToClient(int windowX, int windowY, int* x, int* y) const;
  // Shown centred on the screen, in front, with the keyboard.
  void ShowCentred();
  // Takes the keyboard back, e.g. when a box in front of it has gone.
  void Focus();
  void Hide();
  bool Shown() const { return shown_; }

  // The picture stays the caller's; nullptr shows the grey alone.
  void SetPicture(const Picture* picture);
  // The next Refresh redraws whatever the version says (after an expose).
  void Invalidate() { dirty_ = true; }
  // Redraws when something changed; nothing while hidden.
  void Refresh();
  // The colour last presented at window pixel (x, y), read back from the
  // renderer.
  Color ReadPixel(int x, int y);

 private:
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  int textureWidth_ = 0, textureHeight_ = 0;
  std::uint32_t id_ = 0;
  int width_ = 0, height_ = 0;
  int scale_ = 1;
  bool fullscreen_ = false;
  const Picture* picture_ = nullptr;
  std::uint64_t shownVersion_ = 0;

  void FitWindow();
  bool shown_ = false;
  bool dirty_ = true;
};

}  // namespace platform::sdl
