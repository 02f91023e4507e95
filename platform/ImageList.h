// An indexed list of equally sized images, as the window's menus, toolbar
// and owner-drawn lists use them.
#pragma once

#include <vector>

#include <QIcon>
#include <QPixmap>
#include <QSize>

class QPainter;

namespace platform {

class ImageList {
public:
    explicit ImageList(QSize size = QSize(16, 16)) : size_(size) {}

    // Adds the images "<prefix>00.png", "<prefix>01.png" ... up to the first
    // missing one (prefix for instance ":/imagelist1/"); answers how many.
    int AddNumbered(const QString& prefix);
    void Add(const QPixmap& image);

    int Count() const { return static_cast<int>(images_.size()); }
    int Width() const { return size_.width(); }
    int Height() const { return size_.height(); }

    // An index outside the list gives a null icon and draws nothing.
    QIcon Icon(int index) const;
    QPixmap Image(int index) const;
    void Draw(QPainter& painter, int x, int y, int index, bool enabled = true) const;

private:
    QSize size_;
    std::vector<QPixmap> images_;
};

}  // namespace platform
