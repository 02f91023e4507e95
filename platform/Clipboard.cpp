#include "Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "Cp1250.h"

namespace platform {

void SetClipboardText(const std::string& textCp1250)
{
    QGuiApplication::clipboard()->setText(QString::fromStdString(Cp1250ToUtf8(textCp1250)),
                                          QClipboard::Clipboard);
}

std::string ClipboardText()
{
    return Utf8ToCp1250(QGuiApplication::clipboard()->text(QClipboard::Clipboard).toStdString());
}

}  // namespace platform
