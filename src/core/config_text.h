// SPDX-License-Identifier: MIT
#pragma once

#include "core/form_services.h"

#include <functional>
#include <string>
#include <string_view>

namespace orvane2 {

// Reads the text file at path through services.ReadBytes, never holding it whole, and
// hands every piece of it to take, in order, as UTF-8 (a character never straddles two
// pieces). A first pass checks whether the whole file is valid UTF-8, up to its first
// fault; the second hands the bytes over as they are when it is, else decoded from
// Windows-1251 (the Cyrillic code page of older Russian desktops). A leading UTF-8
// byte-order mark is dropped either way. False when the file cannot be opened or a read
// fails.
bool ReadConfigText(FormServices& services, const std::string& path, const std::function<void(std::string_view)>& take);

// Bytes in Windows-1251 as UTF-8. 0x98, which the code page leaves undefined, becomes
// U+0098, as Windows' own conversion (MultiByteToWideChar) makes it.
std::string Windows1251AsUtf8(std::string_view bytes);

}  // namespace orvane2
