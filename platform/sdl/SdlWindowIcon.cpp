#include "platform/sdl/SdlWindowIcon.h"

#include <SDL_image.h>

#include <cstddef>

namespace platform::sdl {

extern const unsigned char kWindowIconPng[];
extern const std::size_t kWindowIconPng_size;

void SetWindowIcon(SDL_Window* window) {
  SDL_RWops* bytes = SDL_RWFromConstMem(kWindowIconPng, int(kWindowIconPng_size));
  if (!bytes) return;
  SDL_Surface* icon = IMG_LoadPNG_RW(bytes);
  SDL_RWclose(bytes);
  if (!icon) return;
  SDL_SetWindowIcon(window, icon);
  SDL_FreeSurface(icon);
}

}  // namespace platform::sdl
