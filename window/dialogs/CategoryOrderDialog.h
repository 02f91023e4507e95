// "Zmiana kolejności kategorii": the modal dialog in which the user moves
// blocks of stored categories up and down or sorts them by name, and which
// saves the new order itself when the user confirms.
#pragma once

#include <string>
#include <vector>

#include "window/dialogs/GuardedDialog.h"

#include "window/logic/CategoryOrder.h"

class QPainter;
class QPushButton;
class LineListBox;

namespace platform {
class Boxes;
class ImageList;
}  // namespace platform

class TForm4 final : public GuardedDialog {
    Q_OBJECT
public:
    // images is the main window's image list: the rows show its category
    // image, the move and sort buttons its arrows and sort image.
    TForm4(QWidget* owner, platform::Boxes& boxes, const platform::ImageList& images);

    // The lines the dialog lists (the stored categories, in their order).
    void SetCategoryLines(const std::vector<std::string>& categoryLines);

    void FormCreate();
    void BitBtn1Click();  // move the selected rows up
    void BitBtn2Click();  // move the selected rows down
    void BitBtn3Click();  // sort by name
    void BitBtn4Click();  // "Anuluj"
    void BitBtn5Click();  // "OK": save the order
    void ListBox1DrawItem(QPainter& painter, const QRect& rect, int index, bool selected);

    // Folder of the catalogue whose order is saved; set by the caller.
    std::string ArchiveFolder;

    LineListBox* ListBox1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QPushButton* BitBtn4 = nullptr;
    QPushButton* BitBtn5 = nullptr;

private:
    QPushButton* Button(const QRect& place, const QString& caption, const QString& hint);
    void ConnectHandlers();
    std::vector<bool> Selection() const;
    // Rewrites the rows in the new order; selection and focus follow their lines.
    void ApplyOrder(const RowOrder& order);

    const platform::ImageList& images_;
};
