// The row drawing shared by every owner-drawn list and combo box of the
// program: alternating darker rows, the selection colour, the row images of
// the main window's image list.
#pragma once

#include <string>

#include <QColor>
#include <QString>

class QPainter;
class QRect;

namespace platform {
class ImageList;
}

namespace rows {

// The selection colour, the class library's $00FFEAD7.
inline const QColor kSelectionColour = QColor(215, 234, 255);

// Images of the main window's image list used by the rows.
constexpr int kWebLinkImage = 7;
constexpr int kEd2kLinkImage = 13;
constexpr int kCategoryImage = 21;

// The colour with each of its red, green and blue bytes decreased by 6,
// modulo 256.
QColor Darker(const QColor& colour);

// A row's background: the even rows (the first one included) are the darker
// ones; a selected row uses the selection colour instead of base.
QColor RowColour(const QColor& base, int index, bool selected);

// Fills rect with the row's background, then leaves the painter drawing
// black text with no background.
void FillRow(QPainter& painter, const QRect& rect, const QColor& base, int index, bool selected);

// Draws text with its top left corner at (x, y), whole, in the painter's font.
void TextOut(QPainter& painter, int x, int y, const QString& text);

// The image of a link text: "ed2k" within its first four characters gives
// the ed2k image, else "http" or "www" there gives the web image, else -1.
// Case-sensitive, on the first four bytes only.
int LinkImage(const std::string& link);

// The common row of an image and a text: background, image at
// (left + 2, top + imageTop), text at (left + image width + 4, top + 1).
void PaintImageTextRow(QPainter& painter, const QRect& rect, const QColor& base, int index, bool selected,
                       const platform::ImageList& images, int image, const QString& text, int imageTop = 1);

}  // namespace rows
