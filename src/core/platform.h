#pragma once

// What differs between the platforms Kestro runs on: the path separator, which directory
// entries count as hidden or system files, how letter case is folded, and the 8-bit text
// encoding of file names and text files. Everything else works on byte-exact names.

#include <string>
#include <string_view>

class QString;

namespace platform {

inline constexpr char separator = '/';

// A file's path: the directory, the separator, the name; the separator is added even when
// the directory already ends with one.
std::string join(std::string_view directory, std::string_view name);

// Names the system hides from ordinary listings.
bool isHidden(std::string_view name);

// A file nobody may write to, which the game's platform calls read-only.
bool isReadOnly(const std::string &path);
// The same for a name inside a directory opened as `directory`.
bool isReadOnly(int directory, const std::string &name);

// The name in upper case, for comparisons that ignore letter case: each character is
// mapped on its own, so a name keeps its length in characters.
std::string upper(std::string_view name);

// Bytes of the system's 8-bit encoding as text to show; invalid bytes become U+FFFD.
QString display(std::string_view bytes);

} // namespace platform
