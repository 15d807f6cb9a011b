// A modal message box of our own: a window with the caption as its title,
// an optional error icon, the text in the Japanese UI font and an OK button.
// SDL's own message box needs a window manager, so this one is drawn into a
// Picture and shown like the main window. The host runs the event loop while
// it is open and hands it the events meant for it.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <memory>
#include <string>

#include "platform/Host.h"
#include "platform/Picture.h"
#include "platform/sdl/SdlPictureView.h"

namespace platform::sdl {

class SdlMessageBox {
 public:
  // `font` measures the text; it must be the face and size the box draws
  // with (BoxFontPoints at 96 dpi). The box is shown centred at once.
  SdlMessageBox(const std::string& caption, const std::string& text, BoxIcon icon, TTF_Font* font);

  static constexpr int BoxFontPoints = 9;

  std::uint32_t WindowId() const { return view_.Id(); }
  bool Confirmed() const { return confirmed_; }
  void Confirm() { confirmed_ = true; }

  // Mouse and window events whose windowID is this box's.
  void HandleWindowEvent(const SDL_Event& event);
  void Refresh() { view_.Refresh(); }

 private:
  bool OnButton(int x, int y) const;

  std::unique_ptr<Picture> picture_;
  SdlPictureView view_;
  SDL_Rect button_{};
  bool pressed_ = false;
  bool confirmed_ = false;
};

}  // namespace platform::sdl
