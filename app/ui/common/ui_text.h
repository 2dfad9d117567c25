#pragma once
// The program's texts break lines with CR (or CR LF); Qt breaks them at LF only.

#include <QString>

#include <string>

namespace kb {

inline QString DisplayText(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

}  // namespace kb
