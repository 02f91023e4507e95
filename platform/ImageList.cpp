#include "platform/ImageList.h"

#include <QFile>
#include <QPainter>

namespace platform {

int ImageList::AddNumbered(const QString& prefix)
{
    int added = 0;
    for (;;) {
        const QString name = prefix + QStringLiteral("%1.png").arg(Count(), 2, 10, QLatin1Char('0'));
        if (!QFile::exists(name))
            return added;
        Add(QPixmap(name));
        ++added;
    }
}

void ImageList::Add(const QPixmap& image)
{
    images_.push_back(image.size() == size_ ? image
                                            : image.scaled(size_, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

QIcon ImageList::Icon(int index) const
{
    return index >= 0 && index < Count() ? QIcon(images_[static_cast<size_t>(index)]) : QIcon();
}

QPixmap ImageList::Image(int index) const
{
    return index >= 0 && index < Count() ? images_[static_cast<size_t>(index)] : QPixmap();
}

void ImageList::Draw(QPainter& painter, int x, int y, int index, bool enabled) const
{
    if (index < 0 || index >= Count())
        return;
    const QPixmap& image = images_[static_cast<size_t>(index)];
    if (enabled)
        painter.drawPixmap(x, y, image);
    else
        painter.drawPixmap(x, y, QIcon(image).pixmap(size_, QIcon::Disabled));
}

}  // namespace platform
