// Showing a fixed-size picture in a window of any size: whole factors of
// enlargement, centred, with bars around it; and the way back from a window
// pixel to a picture pixel. Portable, so every windowed backend places and
// hit-tests its picture the same way.
#pragma once

namespace platform {

inline constexpr int kMinScale = 1, kMaxScale = 8;

// The factor a window starts with: the largest whole factor, kMinScale to
// kMaxScale, whose window (picture x factor) is at most two thirds of the
// display's usable height and fits its usable width; 1 when none does.
int DefaultScale(int pictureWidth, int pictureHeight, int usableWidth, int usableHeight);

// Where the picture lands in a window: its top-left corner and its size.
struct Placement {
  int x = 0, y = 0, width = 0, height = 0;
};

// The picture in a window of windowWidth x windowHeight: enlarged by the
// largest whole factor that fits, centred; a window smaller than the picture
// shrinks it, keeping its aspect.
Placement PlacePicture(int pictureWidth, int pictureHeight, int windowWidth, int windowHeight);

// What a window shows round its picture, so that every pixel is drawn once
// a frame: black bars outside the placement (up to four) and the form's face
// inside it where the picture, shownWidth x shownHeight from the placement's
// corner, does not reach (up to two). Empty rectangles are left out.
struct Area {
  int x = 0, y = 0, width = 0, height = 0;
};
struct Surround {
  Area bars[4];
  int barCount = 0;
  Area face[2];
  int faceCount = 0;
};
Surround SurroundPicture(const Placement& placement, int windowWidth, int windowHeight, int shownWidth,
                         int shownHeight);

// The picture pixel under window pixel (windowX, windowY), given where the
// picture was placed; false outside it. At factor n, window pixels n*x to
// n*x + n - 1 (from the placement's corner) all map to x.
bool WindowToPicture(const Placement& placement, int pictureWidth, int pictureHeight, int windowX, int windowY,
                     int* x, int* y);

}  // namespace platform
