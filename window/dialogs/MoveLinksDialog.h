// The move dialog: picks the category that the selected links go to.
//
// The caller fills the combo with category lines, sets CurrentCategoryIndex
// to the row of the category whose links move, points ResultCategoryId at an
// int preset to -1 and runs the dialog with exec(). "Przenieś" (or Enter)
// stores the chosen category's id there, unless the chosen row is the current
// category; "Anuluj" stores -1; Escape and the close box store nothing.
#pragma once

#include <string>
#include <vector>

#include "window/dialogs/GuardedDialog.h"

class QComboBox;
class QGroupBox;
class QPainter;
class QPushButton;
class QRect;

namespace platform {
class Boxes;
class ImageList;
}  // namespace platform

class TForm7 final : public GuardedDialog {
    Q_OBJECT
public:
    static constexpr int LineRole = Qt::UserRole;

    // images: the main window's image list (button glyphs, the row image);
    // boxes: where the handler guard shows an exception.
    TForm7(QWidget* owner, const platform::ImageList& images, platform::Boxes& boxes);

    // ---- handlers
    void FormCreate();
    void ComboBox1DrawItem(QPainter& painter, const QRect& rect, int index, bool selected);
    void BitBtn2Click();  // "Przenieś"
    void BitBtn1Click();  // "Anuluj"
    // The key handler of the combo and of the form: Enter confirms, Escape closes.
    void ComboBox1KeyDown(int key);

    // The combo's rows: one category line each, exact bytes in LineRole.
    void SetItems(const std::vector<std::string>& categoryLines);
    std::string Item(int index) const;
    void DeleteLast();

    int* ResultCategoryId = nullptr;
    int CurrentCategoryIndex = 0;

    // ---- components
    QGroupBox* GroupBox1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton* BitBtn1 = nullptr;  // "Anuluj"
    QPushButton* BitBtn2 = nullptr;  // "Przenieś"

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateComponents();
    void StoreResult(int id);

    const platform::ImageList& images_;
};
