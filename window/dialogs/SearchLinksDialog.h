// "Szukaj": asks for the text and the options of the search in the shown
// links. It fills its controls from the main window's search settings and,
// when the user starts the search, writes them back and sets
// TForm1::SearchRequested; the main window then selects the matching rows.
// Enter and Escape act only in the edit; no button is a default or cancel
// button, and Escape elsewhere does nothing.
#pragma once

#include "window/dialogs/GuardedDialog.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class TForm1;

class TForm8 final : public GuardedDialog {
    Q_OBJECT
public:
    explicit TForm8(TForm1& form);

    // ---- handlers
    void FormCreate();
    void BitBtn1Click();  // "Szukaj"
    void BitBtn2Click();  // "Anuluj"
    // A key typed in the edit: Enter searches, Escape cancels.
    void Edit1KeyPress(int key);

    // ---- components
    QGroupBox* GroupBox1 = nullptr;  // "Szukany tekst :"
    QLineEdit* Edit1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;  // "Szukaj w linkach"
    QCheckBox* CheckBox2 = nullptr;  // "Szukaj w opisach"
    QCheckBox* CheckBox3 = nullptr;  // "Uwzględniaj wielkość liter"
    QPushButton* BitBtn1 = nullptr;  // "Szukaj"
    QPushButton* BitBtn2 = nullptr;  // "Anuluj"

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateComponents();

    TForm1& form_;
};
