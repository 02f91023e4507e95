// Program text meeting Qt: the Windows-1250 bytes the program holds as a
// QString and back. A character the code page lacks becomes "?"; a text
// coming from Qt loses its NUL characters (see WithoutNul).
#pragma once

#include <string>

#include <QString>

#include "platform/Cp1250.h"

namespace platform {

inline QString ToQString(const std::string& textCp1250)
{
    return QString::fromStdString(Cp1250ToUtf8(textCp1250));
}

inline std::string FromQString(const QString& text)
{
    return WithoutNul(Utf8ToCp1250(text.toStdString()));
}

// A link text entering the program: a character the code page lacks is kept
// percent-encoded as its UTF-8 bytes, so the link still opens.
inline std::string LinkFromQString(const QString& text)
{
    return WithoutNul(Utf8ToCp1250(text.toStdString(), Unmappable::PercentUtf8));
}

}  // namespace platform
