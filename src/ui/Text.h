#pragma once
#include <QString>
#include <string>

#include "platform/Utf16.h"

// Core text is bytes in the system's narrow encoding (UTF-8 here); QString only at the edge. The
// way there and back keeps every byte (`utf16`), so a stored text that is not UTF-8 shows in a
// box and comes back from it unchanged, with only what was typed in it changed.
inline QString qs(const std::string& s) {
    const std::u16string units = utf16::fromBytes(s);
    return QString(reinterpret_cast<const QChar*>(units.data()), static_cast<qsizetype>(units.size()));
}
inline std::string ss(const QString& s) {
    return utf16::toBytes(std::u16string_view(reinterpret_cast<const char16_t*>(s.constData()), static_cast<std::size_t>(s.size())));
}
