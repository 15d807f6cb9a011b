// Reading integers from INI files the way the Windows private-profile calls
// do: the mixer's WAVEMIX.INI is written for that reader.
#pragma once

#include <string>
#include <utility>

namespace platform {

// An INI file read once into memory; each lookup scans the text kept.
class Profile {
 public:
  // The text of an INI file.
  explicit Profile(std::string text) : text_(std::move(text)) {}
  // The file at `path`, read whole as a plain file (platform/PlainFile.h):
  // a missing, unreadable, special or oversized file reads as an empty one.
  static Profile Read(const std::string& path);

  // As ReadProfileInt below, in this text.
  int ReadInt(const std::string& section, const std::string& key, int defaultValue) const;

 private:
  std::string text_;
};

// The integer value of `key` in `[section]` of the INI file at `path`, or
// `defaultValue` when the file, the section or the key is missing or the
// value is empty. Section and key names match case-insensitively, blanks
// around names and values are ignored, the first matching key of the first
// matching section counts. The value is read as an optional sign followed by
// decimal digits (or 0x / 0o / 0b and digits of that base) up to the first
// other character; a value with no digits reads as 0. The result wraps as a
// 32-bit unsigned value does and is returned as signed, so "-1" gives -1.
// Reads the file for this one lookup: for several, read a Profile once.
int ReadProfileInt(const std::string& section, const std::string& key, int defaultValue,
                         const std::string& path);

}  // namespace platform
