// An SDL window that shows a Picture 1:1 from its top-left corner, on the
// form's grey where the window is bigger than the picture. It uploads the
// pixels only when the picture's version has moved on or the window was
// exposed, so calling Refresh after every event costs next to nothing.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

#include "platform/Picture.h"

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
  void SetSize(int width, int height);
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
  // The colour last presented at (x, y), read back from the renderer.
  Color ReadPixel(int x, int y);

 private:
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  int textureWidth_ = 0, textureHeight_ = 0;
  std::uint32_t id_ = 0;
  const Picture* picture_ = nullptr;
  std::uint64_t shownVersion_ = 0;
  bool shown_ = false;
  bool dirty_ = true;
};

}  // namespace platform::sdl
