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
constexpr int kButtonGap = 8, kButtonEdge = 12, kButtonPadding = 12;
constexpr Color kButtonBorder{173, 173, 173};

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

// Each button is at least kButtonWidth wide, wider when its caption needs it.
int ButtonWidth(TTF_Font* font, const std::string& caption) {
  return std::max(kButtonWidth, TextWidth(font, caption) + 2 * kButtonPadding);
}

int ButtonsWidth(TTF_Font* font, const std::vector<std::string>& captions) {
  int width = kButtonEdge;
  for (const std::string& caption : captions) width += ButtonWidth(font, caption) + kButtonGap;
  return width - kButtonGap + kButtonEdge;
}

std::vector<std::string> Captions(const std::vector<std::string>& buttons) {
  return buttons.empty() ? std::vector<std::string>{"OK"} : buttons;
}

}  // namespace

// The picture is laid out before the window exists, so the window is made
// at its final size; picture_ is therefore built in the initialiser list.
SdlMessageBox::SdlMessageBox(const std::string& caption, const std::string& text, BoxIcon icon, TTF_Font* font,
                             const std::vector<std::string>& buttons, int scale)
    : picture_([&] {
        const std::vector<std::string> lines = Lines(text);
        int textWidth = kMinTextWidth;
        for (const std::string& line : lines) textWidth = std::max(textWidth, TextWidth(font, line));
        const int lineSkip = TTF_FontLineSkip(font);
        const int textHeight = int(lines.size()) * lineSkip;
        const bool withIcon = icon == BoxIcon::Error;
        const int textLeft = kMargin + (withIcon ? kIconSize + kIconGap : 0);
        const int contentHeight = std::max(textHeight, withIcon ? kIconSize : 0);
        const int width = std::max(textLeft + textWidth + kMargin, ButtonsWidth(font, Captions(buttons)));
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
  const std::vector<std::string> captions = Captions(buttons);
  // The buttons stand at the right of the strip, the default first.
  int x = width - ButtonsWidth(font, captions) + kButtonEdge;
  for (std::size_t i = 0; i < captions.size(); ++i) {
    const SDL_Rect button{x, height - kStripHeight + (kStripHeight - kButtonHeight) / 2, ButtonWidth(font, captions[i]),
                          kButtonHeight};
    x += button.w + kButtonGap;
    buttons_.push_back(button);
    // The default button has a blue edge round its face; captions are centred.
    picture_->SetPen(i == 0 ? kDefaultButtonEdge : kButtonBorder);
    picture_->SetBrush(kButtonFace);
    picture_->Rectangle(button.x, button.y, button.x + button.w, button.y + button.h);
    picture_->SetFont(kBlack, BoxFontPoints, false, false);
    picture_->PutText(button.x + (button.w - TextWidth(font, captions[i])) / 2,
                      button.y + (button.h - TTF_FontHeight(font)) / 2, captions[i]);
  }

  view_.SetScale(scale);
  view_.SetPicture(picture_.get());
  view_.ShowCentred();
  view_.Refresh();
}

int SdlMessageBox::ButtonAt(int windowX, int windowY) const {
  int x = 0, y = 0;
  if (!view_.ToClient(windowX, windowY, &x, &y)) return -1;
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    const SDL_Rect& b = buttons_[i];
    if (x >= b.x && x < b.x + b.w && y >= b.y && y < b.y + b.h) return int(i);
  }
  return -1;
}

void SdlMessageBox::HandleWindowEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_MOUSEBUTTONDOWN:
      if (event.button.button == SDL_BUTTON_LEFT) pressed_ = ButtonAt(event.button.x, event.button.y);
      break;
    case SDL_MOUSEBUTTONUP:
      // A click: pressed and released on the same button.
      if (event.button.button == SDL_BUTTON_LEFT && pressed_ >= 0 &&
          ButtonAt(event.button.x, event.button.y) == pressed_)
        chosen_ = pressed_;
      pressed_ = -1;
      break;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) chosen_ = 0;
      if (event.window.event == SDL_WINDOWEVENT_EXPOSED) view_.Invalidate();
      break;
    default:
      break;
  }
}

}  // namespace platform::sdl
