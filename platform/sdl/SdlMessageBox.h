// A modal message box of our own: a window with the caption as its title,
// an optional error icon, the text in the Japanese UI font and its buttons
// (one OK unless others are named; the first is the default).
// SDL's own message box needs a window manager, so this one is drawn into a
// Picture and shown like the main window. The host runs the event loop while
// it is open and hands it the events meant for it.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Host.h"
#include "platform/Picture.h"
#include "platform/sdl/SdlPictureView.h"

namespace platform::sdl {

class SdlMessageBox {
 public:
  // `font` measures the text; it must be the face and size the box draws
  // with (BoxFontPoints at 96 dpi). The box is shown centred at once,
  // enlarged `scale` times like the main window.
  SdlMessageBox(const std::string& caption, const std::string& text, BoxIcon icon, TTF_Font* font,
                const std::vector<std::string>& buttons = {}, int scale = 1);

  static constexpr int BoxFontPoints = 9;

  std::uint32_t WindowId() const { return view_.Id(); }
  bool Confirmed() const { return chosen_ >= 0; }
  // The button chosen, or -1 while the box waits.
  int Chosen() const { return chosen_; }
  // Chooses the default button.
  void Confirm() { chosen_ = 0; }

  // Mouse and window events whose windowID is this box's.
  void HandleWindowEvent(const SDL_Event& event);
  void Refresh() { view_.Refresh(); }

 private:
  // The button at window pixel (windowX, windowY), or -1.
  int ButtonAt(int windowX, int windowY) const;

  std::unique_ptr<Picture> picture_;
  SdlPictureView view_;
  std::vector<SDL_Rect> buttons_;  // in picture pixels
  int pressed_ = -1;
  int chosen_ = -1;
};

}  // namespace platform::sdl
