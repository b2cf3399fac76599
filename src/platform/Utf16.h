#pragma once
#include <string>
#include <string_view>

// Stored text is bytes; windows and the registry editor's files hold UTF-16. The way between them
// loses nothing: valid UTF-8 becomes its characters, and every other byte b becomes the lone
// surrogate U+DC00 + b (U+DC80..U+DCFF, which valid UTF-8 never yields), so a name copied from
// another system's code page comes back byte for byte, also around characters typed next to it.
namespace utf16 {

std::u16string fromBytes(std::string_view bytes);

// The way back: U+DC80..U+DCFF alone become their byte again. Any other lone surrogate has no
// bytes of its own and becomes U+FFFD.
std::string toBytes(std::u16string_view text);

}  // namespace utf16
