// The character pictures the program carries inside it (BMP files).
#pragma once

#include <cstddef>

namespace assets {

struct EmbeddedFile {
  const unsigned char* bytes;
  std::size_t size;  // 0 when there is no such picture
};

// One of nomal1, nomal2, nomal3, which, great, cry, ending, lv1, lv2.
EmbeddedFile FindPicture(const char* name);

}  // namespace assets
