// Text rasterised by GDI with IPA P Gothic, the face shipped beside the
// program in fonts\ipagp.ttf (added for this process only). A text becomes
// one coverage byte per pixel of its cell, the cell being the text's advance
// (widened to every stroke an italic or overhanging glyph draws) wide and the
// font's height high, at 96 pixels per inch.
#pragma once

#include <string>

#include "platform/Picture.h"

namespace platform::win32 {

TextImage RasteriseText(const std::string& utf8, int sizePoints, bool bold, bool italic);

// The face's file, relative to the program's folder.
constexpr const char* kFontFile = "fonts\\ipagp.ttf";
constexpr const wchar_t* kFontFace = L"IPAPGothic";

}  // namespace platform::win32
