// The browser build's side of the page (web/kesto-page.js): the game's file
// system, the message box, the music player and the frame left when the game
// has ended. Only the web build compiles this.
#pragma once

#include <string>

namespace platform::web {

// Lays out the game's folder (`folder` ends with '/'): dat/ is kept in the
// browser's IndexedDB, the record also in its localStorage, so it survives a
// reload; the preloaded waves, music names and cg/ are put beside it. The
// record is stored quietly whenever the best changes, after every save and
// when the page is hidden or left; tabs of the page share the newest best.
// Waits until the stored files are in place.
void PrepareFolder(const std::string& folder);

// Fetches the page's file `url` and writes it at `path`, where the game
// opens it; waits until it is there. For the page's own face, which the
// page has fetched already, so it comes from the browser's cache.
void FetchFile(const std::string& url, const std::string& path);

// A modal box of the page over the picture: caption, text, an error sign and
// an OK button. Returns its number; BoxConfirmed tells when it was confirmed.
int OpenBox(const std::string& caption, const std::string& text, bool error);
bool BoxConfirmed(int box);

// The game runs: the page takes its loading indicator away.
void Running();
// The main window has closed: the page shows that the game has ended and
// offers to play again.
void Ended();

// The music of the page: a pre-rendered piece named after the MIDI file
// ("dat/kuvol.mid" plays "music/kuvol.ogg"). Play starts it from the
// beginning as soon as the browser allows sound.
void MusicOpen(const std::string& midiPath);
void MusicPlay();
void MusicClose();

// The game's mute (the M key) shown and applied by the page: its button, its
// gain over SDL's sound and its music.
void PageMuted(bool muted);

}  // namespace platform::web
