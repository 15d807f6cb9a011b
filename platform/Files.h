// The few file-system services portable code needs beyond the standard
// library. Each backend's platform defines them (posix/ on Linux and in the
// browser, win32/ on Windows).
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Replaces the file at `path` with `bytes` so that a reader sees the old file
// or the new one, never a mix: the bytes go to a temporary file beside it,
// are flushed to the disk, and the temporary file takes the name. A file
// that was there keeps its permissions. Throws IoError ("Cannot create file
// "path". reason" when the temporary file cannot be made, "Cannot write file
// ..." when writing, flushing or renaming fails); the old file is then left
// as it was and no temporary file remains.
void ReplaceFileAtomically(const std::string& path, std::string_view bytes);

// True when `path` names an existing file that this process may not write,
// or whose mode lets nobody write it (read-only for an administrator too).
bool IsReadOnlyFile(const std::string& path);

// The folder that holds the running program, ending with a separator; "./"
// when it cannot be found.
std::string ExecutableFolder();

// The game's folder, ending with a separator: `programFolder` itself when its
// dat/ and cg/ are beside the program (a build folder, an unpacked copy);
// otherwise the installed data folder found relative to the program,
// programFolder + "../share/kesto/", when that one has them, so that any
// install prefix works; otherwise `programFolder`, where the missing files
// are then reported as usual.
std::string FindGameFolder(const std::string& programFolder);

// The folder of the record file my.dat, ending with a separator: the game's
// own gameFolder + "/dat/" when this process may write in it; otherwise the
// player's data folder for the game, $XDG_DATA_HOME/kesto/ (by default
// ~/.local/share/kesto/), made if need be. When that folder has no my.dat
// yet, the shipped gameFolder/dat/my.dat is copied into it, so the first
// start reads a fresh record. Without a writable place it still answers the
// game's dat/ folder, and saving reports the failure as it always has.
std::string FindRecordFolder(const std::string& gameFolder);

}  // namespace platform
