// The few file-system services portable code needs beyond the standard
// library. Each backend's platform defines them (posix/ on Linux and in the
// browser, win32/ on Windows).
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Replaces the file at `path` with `bytes` so that a reader sees the old file
// or the new one, never a mix: the bytes go to a new temporary file beside
// it, under a name of its own that no other file or link has (made with
// O_EXCL on POSIX, CREATE_NEW on Windows, so nothing planted there is
// followed and two copies of the game saving at once never share it), are
// flushed to the disk, and the temporary file takes the name. When `path`
// is a link, the link is replaced by the new file and what it pointed to is
// left alone. A file that was there keeps its permissions. Throws IoError
// ("Cannot create file "path". reason" when the temporary file cannot be
// made, "Cannot write file ..." when writing, flushing or renaming fails);
// the old file is then left as it was and no temporary file remains.
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

// The folder of the record file my.dat, ending with a separator. An
// installed game (`gameFolder` is the data folder FindGameFolder found for
// `programFolder`, programFolder + "../share/kesto/") keeps it in the
// player's data folder for the game, $XDG_DATA_HOME/kesto/ (by default
// ~/.local/share/kesto/, HOME taken from the user database when unset), made
// if need be, for root too: the package's own files are never written. A
// game beside its program (a build folder, an unpacked copy) keeps it in its
// own gameFolder + "/dat/" when this process may write there, and otherwise
// in the player's data folder. When the player's folder has no my.dat yet,
// the shipped gameFolder/dat/my.dat is copied into it, so the first start
// reads a fresh record. Without a place for it (no home known, the folder
// cannot be made) it answers the game's dat/ folder, and saving reports
// the failure as it always has. On Windows the game is one folder and the
// record is always in its dat\.
std::string FindRecordFolder(const std::string& gameFolder, const std::string& programFolder = ExecutableFolder());

}  // namespace platform
