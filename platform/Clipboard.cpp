#include "Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "QtText.h"

namespace platform {

void SetClipboardText(const std::string& textCp1250)
{
    QGuiApplication::clipboard()->setText(ToQString(textCp1250),
                                          QClipboard::Clipboard);
}

std::string ClipboardText()
{
    return FromQString(QGuiApplication::clipboard()->text(QClipboard::Clipboard));
}

}  // namespace platform
