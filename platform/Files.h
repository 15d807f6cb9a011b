// File operations whose form differs between systems; each backend's build
// brings its own implementation.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Replaces the file at `path` with `bytes` so that a crash leaves either the
// old or the new contents: writes a temporary file beside it, flushes it to
// the disk and renames it over the old one. Throws IoError with the record's
// texts ("Cannot create file", "Cannot write file" followed by the quoted
// path and the system's reason).
void ReplaceFileAtomically(const std::string& path, std::string_view bytes);

// True when the file exists and may not be written.
bool IsReadOnlyFile(const std::string& path);

// The folder that holds the running program, ending with a separator.
std::string ExecutableFolder();

}  // namespace platform
