#include "platform/Utf16.h"

namespace utf16 {

namespace {

constexpr char16_t EscapeBase = 0xDC00;

bool isHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// The length of the well-formed UTF-8 sequence at the start of `s` with its code point in
// `point`; 0 when none starts there (overlong forms, surrogates and points past U+10FFFF are
// not well-formed).
std::size_t sequenceAt(std::string_view s, char32_t& point) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        point = lead;
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (s.size() < length) return 0;
    point = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char c = byte(i);
        if (c < (i == 1 ? low : 0x80) || c > (i == 1 ? high : 0xBF)) return 0;
        point = (point << 6) | (c & 0x3F);
    }
    return length;
}

void putUtf8(std::string& out, char32_t p) {
    if (p < 0x80) {
        out += static_cast<char>(p);
    } else if (p < 0x800) {
        out += static_cast<char>(0xC0 | (p >> 6));
        out += static_cast<char>(0x80 | (p & 0x3F));
    } else if (p < 0x10000) {
        out += static_cast<char>(0xE0 | (p >> 12));
        out += static_cast<char>(0x80 | ((p >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (p & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (p >> 18));
        out += static_cast<char>(0x80 | ((p >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((p >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (p & 0x3F));
    }
}

}  // namespace

std::u16string fromBytes(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t point = 0;
        const std::size_t length = sequenceAt(bytes.substr(i), point);
        if (length == 0) {
            out += static_cast<char16_t>(EscapeBase + static_cast<unsigned char>(bytes[i]));
            ++i;
            continue;
        }
        if (point >= 0x10000) {
            point -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (point >> 10));
            out += static_cast<char16_t>(0xDC00 + (point & 0x3FF));
        } else {
            out += static_cast<char16_t>(point);
        }
        i += length;
    }
    return out;
}

std::string toBytes(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (isHigh(u) && i + 1 < text.size() && isLow(text[i + 1])) {
            putUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00));
            ++i;
        } else if (u >= EscapeBase + 0x80 && u <= EscapeBase + 0xFF) {
            out += static_cast<char>(u - EscapeBase);
        } else {
            putUtf8(out, isHigh(u) || isLow(u) ? char32_t(0xFFFD) : char32_t(u));
        }
    }
    return out;
}

}  // namespace utf16
