// The add-links dialog: offers the link candidates of an import, every one
// checked, and stores the checked ones in the category the user picks.
//
// The caller fills the combo with the category lines less "Wszystkie",
// appends the candidates, sets ArchiveFolder, points ResultCategoryId at an
// int preset to -1 and runs the dialog with exec(). "Dodaj linki" (or Enter)
// stores the checked candidates at the end of the chosen category and the
// category's id in the caller's int; "Anuluj" stores -1; Escape and the
// close box store nothing.
#pragma once

#include <string>
#include <vector>

#include "window/dialogs/GuardedDialog.h"

class CheckListBox;
class QComboBox;
class QLabel;
class QPainter;
class QPushButton;
class QRect;

namespace platform {
class Boxes;
class ImageList;
}  // namespace platform

class TForm2 final : public GuardedDialog {
    Q_OBJECT
public:
    // images: the main window's image list (the row images); boxes: where
    // the handler guard shows an exception. owner may be null: the dialog
    // then belongs to the application.
    TForm2(QWidget* owner, const platform::ImageList& images, platform::Boxes& boxes);

    // ---- handlers
    void FormCreate();
    void BitBtn2Click();  // "Dodaj linki"
    void BitBtn1Click();  // "Anuluj"
    // The key handler of the dialog, the check list and the combo: Enter
    // stores, Escape closes.
    void FormKeyDown(int key);
    void CheckListBox1DrawItem(QPainter& painter, const QRect& rect, int index, bool selected);
    void ComboBox1DrawItem(QPainter& painter, const QRect& rect, int index, bool selected);

    // The combo's rows: one category line each.
    void SetCategories(const std::vector<std::string>& categoryLines);
    std::string Category(int index) const;
    void DeleteLastCategory();

    int* ResultCategoryId = nullptr;
    std::string ArchiveFolder;

    // ---- components
    CheckListBox* CheckListBox1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* BitBtn1 = nullptr;  // "Anuluj"
    QPushButton* BitBtn2 = nullptr;  // "Dodaj linki"

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateComponents();
    // Places the controls by their anchors for the current client size.
    void PlaceControls();

    const platform::ImageList& images_;
};
