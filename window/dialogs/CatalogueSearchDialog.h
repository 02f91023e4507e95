// "Szukaj w katalogu :": searches every link of the catalogue through the
// store and lists the hits with their categories in three columns. On the
// hits it goes to one in the main window, opens them, copies their links or
// descriptions, or deletes them from the catalogue; LinksDeleted tells the
// main window afterwards that its links need a reload.
//
// The main window sets ArchiveFolder and fills the controls from its search
// settings; every search writes the choices back to them. Escape does
// nothing here and no button is a default button.
#pragma once

#include <string>
#include <vector>

#include "window/dialogs/GuardedDialog.h"

class QAction;
class QCheckBox;
class QFrame;
class QHeaderView;
class QLineEdit;
class QMenu;
class QPainter;
class QPushButton;
class QRect;
class QStandardItemModel;
class LineListBox;
class TForm1;

class TForm9 final : public GuardedDialog {
    Q_OBJECT
public:
    explicit TForm9(TForm1& form);

    // ---- handlers
    void FormCreate();
    void BitBtn3Click();  // "Szukaj"
    void ListBox1DrawItem(QPainter& painter, const QRect& rect, int index, bool selected);
    void FormResize();
    void HeaderControl1SectionResize();
    void Edit1KeyPress(int key);
    void ListBox1KeyDown(int key);
    void BitBtn1Click();  // "Przejdź do kategorii"
    void BitBtn2Click();  // "Anuluj"
    void Otwrzlinkiwdomylnymprogramie1Click();
    void Kopiujzaznaczonelinkidoschowka1Click();
    void Kpiujzaznaczoneopisydoschowka1Click();
    void Usuwybranelinkizkatalogu1Click();

    std::string ArchiveFolder;
    std::string QueryText;      // as sent to the store: small letters when case is ignored
    bool LinksDeleted = false;  // set once the store has deleted links

    // ---- components
    QLineEdit* Edit1 = nullptr;
    QPushButton* BitBtn3 = nullptr;  // "Szukaj"
    QCheckBox* CheckBox1 = nullptr;  // "Przeszukiwanie linków"
    QCheckBox* CheckBox2 = nullptr;  // "Przeszukiwanie opisów"
    QCheckBox* CheckBox3 = nullptr;  // "Uwzględniaj wielkość liter", never visible
    QFrame* Panel1 = nullptr;
    QHeaderView* HeaderControl1 = nullptr;
    LineListBox* ListBox1 = nullptr;
    QPushButton* BitBtn2 = nullptr;  // "Anuluj"
    QPushButton* BitBtn1 = nullptr;  // "Przejdź do kategorii"

    // PopupMenu1, the result list's menu
    QMenu* PopupMenu1 = nullptr;
    QAction* Otwrzlinkiwdomylnymprogramie1 = nullptr;
    QAction* Kopiujzaznaczonelinkidoschowka1 = nullptr;
    QAction* Kpiujzaznaczoneopisydoschowka1 = nullptr;
    QAction* Usuwybranelinkizkatalogu1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateComponents();
    void CreateResultPanel();
    void CreateMenu();
    void ConnectHandlers();
    // Removes every row that shows one of the links of the given lines.
    void RemoveRowsOfLinks(const std::vector<std::string>& lines);

    TForm1& form_;
    QStandardItemModel* headerModel_ = nullptr;
};
