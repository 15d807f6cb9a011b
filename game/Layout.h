// The sizes of the window's parts, in pixels.
#pragma once

namespace game {

// The game picture cg, the only part the player sees, and every picture the
// frames are composed from.
inline constexpr int kPictureWidth = 400;
inline constexpr int kPictureHeight = 300;

// The client area as the window description lays it out; FormCreate shrinks
// it to the picture.
inline constexpr int kLaidOutClientWidth = 401;
inline constexpr int kLaidOutClientHeight = 301;

// The picture controls that hold the stored pictures (never visible) and bak.
inline constexpr int kStoredPictureControlSize = 33;
inline constexpr int kBakControlWidth = 53;
inline constexpr int kBakControlHeight = 57;

}  // namespace game
