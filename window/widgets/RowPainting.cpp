#include "window/widgets/RowPainting.h"

#include <QPainter>
#include <QRect>

#include "platform/ImageList.h"

namespace rows {

QColor Darker(const QColor& colour)
{
    return QColor((colour.red() - 6) & 0xFF, (colour.green() - 6) & 0xFF, (colour.blue() - 6) & 0xFF);
}

QColor RowColour(const QColor& base, int index, bool selected)
{
    const QColor& colour = selected ? kSelectionColour : base;
    return index % 2 != 0 ? colour : Darker(colour);
}

void FillRow(QPainter& painter, const QRect& rect, const QColor& base, int index, bool selected)
{
    painter.fillRect(rect, RowColour(base, index, selected));
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setPen(Qt::black);
}

void TextOut(QPainter& painter, int x, int y, const QString& text)
{
    const QFontMetrics metrics = painter.fontMetrics();
    painter.drawText(QPoint(x, y + metrics.ascent()), text);
}

int LinkImage(const std::string& link)
{
    const std::string head = link.substr(0, 4);
    if (head.find("ed2k") != std::string::npos)
        return kEd2kLinkImage;
    if (head.find("http") != std::string::npos || head.find("www") != std::string::npos)
        return kWebLinkImage;
    return -1;
}

void PaintImageTextRow(QPainter& painter, const QRect& rect, const QColor& base, int index, bool selected,
                       const platform::ImageList& images, int image, const QString& text, int imageTop)
{
    FillRow(painter, rect, base, index, selected);
    images.Draw(painter, rect.left() + 2, rect.top() + imageTop, image);
    TextOut(painter, rect.left() + images.Width() + 4, rect.top() + 1, text);
}

}  // namespace rows
