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

}  // namespace platform
