// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the files of the Win32 side share: names as Kestro keeps them and as the system takes them.

#include <string>
#include <string_view>

namespace platform {

// A name or path as the system takes it, in UTF-16.
std::wstring wide(std::string_view utf8);

// A name the system gives, as Kestro keeps it: UTF-8.
std::string narrow(const wchar_t *text);

} // namespace platform
