#include "platform/sdl/SdlMessageBox.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform::sdl {
namespace {

constexpr Color kWhite{255, 255, 255};
constexpr Color kFace{240, 240, 240};
constexpr Color kBlack{0, 0, 0};
constexpr Color kErrorRed{232, 17, 35};
constexpr Color kButtonFace{225, 225, 225};
constexpr Color kDefaultButtonEdge{0, 120, 215};

constexpr int kMargin = 24;
constexpr int kIconSize = 32;
constexpr int kIconGap = 12;
constexpr int kMinTextWidth = 150;
constexpr int kButtonWidth = 88, kButtonHeight = 26;
constexpr int kStripHeight = 42;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string::size_type start = 0;
  while (true) {
    const auto end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    if (end == std::string::npos) return lines;
    start = end + 1;
  }
}

int TextWidth(TTF_Font* font, const std::string& line) {
  int w = 0, h = 0;
  if (line.empty() || TTF_SizeUTF8(font, line.c_str(), &w, &h) != 0) return 0;
  return w;
}

void FillBox(Picture& picture, Color colour, int left, int top, int right, int bottom) {
  picture.SetPen(colour);
  picture.SetBrush(colour);
  picture.Rectangle(left, top, right, bottom);
}

// A red disc with a white diagonal cross, drawn one pixel row at a time.
void DrawErrorIcon(Picture& picture, int left, int top) {
  const double radius = kIconSize / 2.0;
  for (int row = 0; row < kIconSize; ++row) {
    const double dy = row + 0.5 - radius;
    const int half = int(std::lround(std::sqrt(std::max(0.0, radius * radius - dy * dy))));
    if (half > 0) FillBox(picture, kErrorRed, left + int(radius) - half, top + row, left + int(radius) + half, top + row + 1);
  }
  const int centre = kIconSize / 2, arm = 7;
  for (int d = -arm; d < arm; ++d) {
    const int y = top + centre + d;
    FillBox(picture, kWhite, left + centre + d - 1, y, left + centre + d + 2, y + 1);
    FillBox(picture, kWhite, left + centre - d - 2, y, left + centre - d + 1, y + 1);
  }
}

}  // namespace

// The picture is laid out before the window exists, so the window is made
// at its final size; picture_ is therefore built in the initialiser list.
SdlMessageBox::SdlMessageBox(const std::string& caption, const std::string& text, BoxIcon icon, TTF_Font* font)
    : picture_([&] {
        const std::vector<std::string> lines = Lines(text);
        int textWidth = kMinTextWidth;
        for (const std::string& line : lines) textWidth = std::max(textWidth, TextWidth(font, line));
        const int lineSkip = TTF_FontLineSkip(font);
        const int textHeight = int(lines.size()) * lineSkip;
        const bool withIcon = icon == BoxIcon::Error;
        const int textLeft = kMargin + (withIcon ? kIconSize + kIconGap : 0);
        const int contentHeight = std::max(textHeight, withIcon ? kIconSize : 0);
        const int width = textLeft + textWidth + kMargin;
        const int height = kMargin + contentHeight + kMargin + kStripHeight;

        auto picture = std::make_unique<Picture>(width, height);
        FillBox(*picture, kWhite, 0, 0, width, height - kStripHeight);
        FillBox(*picture, kFace, 0, height - kStripHeight, width, height);
        if (withIcon) DrawErrorIcon(*picture, kMargin, kMargin + (contentHeight - kIconSize) / 2);
        picture->SetFont(kBlack, BoxFontPoints, false, false);
        picture->SetBrush(kWhite);
        int y = kMargin + (contentHeight - textHeight) / 2;
        for (const std::string& line : lines) {
          if (!line.empty()) picture->PutText(textLeft, y, line);
          y += lineSkip;
        }
        return picture;
      }()),
      view_(caption, picture_->Width(), picture_->Height()) {
  const int width = picture_->Width(), height = picture_->Height();
  button_ = SDL_Rect{width - 12 - kButtonWidth, height - kStripHeight + (kStripHeight - kButtonHeight) / 2,
                     kButtonWidth, kButtonHeight};
  // The default button: a blue edge round the face, its caption centred.
  picture_->SetPen(kDefaultButtonEdge);
  picture_->SetBrush(kButtonFace);
  picture_->Rectangle(button_.x, button_.y, button_.x + button_.w, button_.y + button_.h);
  const int okWidth = TextWidth(font, "OK");
  picture_->SetFont(kBlack, BoxFontPoints, false, false);
  picture_->PutText(button_.x + (button_.w - okWidth) / 2, button_.y + (button_.h - TTF_FontHeight(font)) / 2, "OK");

  view_.SetPicture(picture_.get());
  view_.ShowCentred();
  view_.Refresh();
}

bool SdlMessageBox::OnButton(int x, int y) const {
  return x >= button_.x && x < button_.x + button_.w && y >= button_.y && y < button_.y + button_.h;
}

void SdlMessageBox::HandleWindowEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_MOUSEBUTTONDOWN:
      if (event.button.button == SDL_BUTTON_LEFT) pressed_ = OnButton(event.button.x, event.button.y);
      break;
    case SDL_MOUSEBUTTONUP:
      // A click: pressed and released on the button.
      if (event.button.button == SDL_BUTTON_LEFT && pressed_ && OnButton(event.button.x, event.button.y))
        confirmed_ = true;
      pressed_ = false;
      break;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) confirmed_ = true;
      if (event.window.event == SDL_WINDOWEVENT_EXPOSED) view_.Invalidate();
      break;
    default:
      break;
  }
}

}  // namespace platform::sdl
