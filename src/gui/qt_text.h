#pragma once
// The program's 8-bit strings hold UTF-8 on Linux (file names, typed text); these are the only
// conversions between them and Qt's strings.

#include <QString>

#include <string>
#include <string_view>

inline QString ToQt(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string FromQt(const QString& text) { return text.toUtf8().toStdString(); }
