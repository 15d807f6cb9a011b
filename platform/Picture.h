// A picture and its canvas: a 32-bit RGB pixel buffer with the drawing state
// the game's renderer sets (font, brush, pen) and the operations it uses:
// BMP loading, stretched rectangle copies, opaque text and outlined boxes.
// Nothing here allocates after the picture is loaded and every font size in
// use has drawn its glyphs once.
//
// The pixels, the copies, the boxes, the placing of text and the BMP decoder
// (platform/Bmp.h) are ours and portable. Writing PNG files and rasterising
// text are the backend's: the one backend library linked into a program
// defines BackendPictureCodec() and BackendTextRasterizer().
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

struct Color {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Color&, const Color&) = default;
};

// Left, top inclusive; right, bottom exclusive.
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// A decoded image: rows of 0x00RRGGBB, top row first.
struct Image {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
};

// A text as the rasteriser drew it: one coverage byte (0 background, 255
// glyph) per pixel of its cell, rows top first.
struct TextImage {
  int width = 0, height = 0;
  std::vector<std::uint8_t> coverage;
};

// The smallest rectangle of `image` that holds every pixel of coverage above
// zero; empty (all zero) when there is none.
Rect InkBounds(const TextImage& image);
// Adds blank columns and rows where the ink of `image` reaches an edge, so
// that a blank line of pixels surrounds every stroke. The cell grows to the
// right and bottom only, so the text keeps its place; a stroke on the left or
// top edge shifts it by a pixel.
void KeepInkOffTheEdges(TextImage& image);

class PictureCodec {
 public:
  virtual ~PictureCodec() = default;
  // Writes rows of 0x00RRGGBB as a PNG file; throws IoError on failure.
  virtual void WritePng(const std::string& path, const std::uint32_t* pixels, int width, int height) = 0;
};

class TextRasterizer {
 public:
  virtual ~TextRasterizer() = default;
  // The game's face at `sizePoints` (96 dpi); throws IoError when the face
  // or the text cannot be drawn.
  virtual TextImage Rasterize(int sizePoints, bool bold, bool italic, const std::string& utf8) = 0;
};

// Defined by the backend linked into the program.
PictureCodec& BackendPictureCodec();
TextRasterizer& BackendTextRasterizer();

class Picture {
 public:
  // A blank (white) picture of the given size that holds no loaded image yet.
  Picture(int width, int height);
  ~Picture();
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;

  int Width() const;
  int Height() const;
  // True once an image was loaded into it.
  bool Loaded() const;

  // Loads a BMP file; the picture takes the file's size. Throws IoError with
  // the loader's message and leaves the picture as it was.
  void LoadFromFile(const std::string& path);
  void LoadFromMemory(const void* bytes, std::size_t size);

  void SetFont(Color color, int sizePoints, bool bold, bool italic);
  void SetBrush(Color color);
  void SetPen(Color color);

  // Stretches the source rectangle of `source` onto `dest` of this picture by
  // pixel repetition, clipped to this picture. `source` may be this picture:
  // the copy then reads the picture as it was before the copy began.
  void CopyRect(Rect dest, const Picture& source, Rect sourceRect);
  // Opaque text: a box in the brush colour over the text's cell, then the
  // glyphs in the font colour; (x, y) is the box's top-left corner.
  void PutText(int x, int y, const std::string& utf8);
  // The width of the cell PutText would fill with `utf8` in the current font.
  int TextWidth(const std::string& utf8);
  // The part of that cell the glyphs cover, relative to its top-left corner;
  // empty (all zero) when nothing is inked.
  Rect TextInk(const std::string& utf8);
  // Filled with the brush, outlined 1 pixel wide with the pen; right and
  // bottom exclusive.
  void Rectangle(int left, int top, int right, int bottom);

  Color PixelAt(int x, int y) const;
  // Rows of 0x00RRGGBB, Width() pixels each, top row first.
  const std::uint32_t* Pixels() const;
  // Moves on with every change; the window redraws when it has moved.
  std::uint64_t Version() const;
  // Writes the picture as PNG; throws IoError on failure.
  void SavePng(const std::string& path) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
