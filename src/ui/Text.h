#pragma once
#include <QString>
#include <string>

// Core text is bytes in the system's narrow encoding (UTF-8 here); QString only at the edge.
inline QString qs(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
inline std::string ss(const QString& s) { return s.toUtf8().toStdString(); }
