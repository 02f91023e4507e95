// The main window: the category list, the link list with its column header,
// the toolbar, the three context menus, the clipboard monitor's timer and
// the tray icon, with start-up and shutdown.
//
// Handlers are public members named after their component and event; every
// one that Qt calls runs through Guarded(), so no exception reaches the event
// loop. Components and the shared members are public for the dialogs and
// for the tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QMainWindow>

#include "Boxes.h"
#include "HandlerGuard.h"
#include "ImageList.h"
#include "MessageHooks.h"
#include "Opener.h"
#include "Process.h"
#include "Timer.h"

class QAction;
class QGroupBox;
class QHeaderView;
class QMenu;
class QPainter;
class QStandardItemModel;
class QSystemTrayIcon;
class QToolBar;
class LineListBox;

namespace linkorder {
struct LinkMove;
}

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // exePath stands for the executable: its folder may hold an old
    // settings file, its file name names the single-instance lock.
    explicit TForm1(platform::Boxes& boxes, std::string exePath = platform::ExecutablePath(),
                    QWidget* parent = nullptr);
    ~TForm1() override;

    // ---- start-up and shutdown
    void FormCreate();
    void FormClose();
    // Start-up decided that the program ends now (another instance runs):
    // the event loop is not entered and the close handler does not run.
    bool TerminateRequested() const { return terminateRequested_; }

    // What start-up read for its own use from the settings file.
    struct StartupChoices {
        bool checkForUpdate = true;  // "Wersja"
        int categoryToSelect = -1;   // "AktPoz"
    };
    const StartupChoices& StartupChoicesRead() const { return startupChoices_; }

    // ---- category and link lists
    int LoadCategories(int selectId);
    int LoadLinks(int catId, int selectId);
    void ListBox2Click();
    void ListBox1DrawItem(QPainter& painter, const QRect& rect, int index, bool selected);
    void ListBox2DrawItem(QPainter& painter, const QRect& rect, int index, bool selected);
    void HeaderControl1SectionResize(int section);
    void FormResize();
    void DisableLinkCommands();
    void EnableLinkCommands();

    // ---- link commands (dovra_links.cpp)
    void BuildLinkLine(std::string& text, int catId);
    void Dodajnowylink1Click();
    void Zmielink1Click();
    void Zmieopis1Click();
    void Usutenlink1Click();
    void Kopiujlinkdoschowka1Click();
    void Kpiujzaznaczoneopisydoschowka1Click();
    void Otwrzlinkwdomylnympr1Click();
    void ListBox1DblClick();
    void ListBox1KeyDown(int key);

    // ---- link order, duplicates and moving (dovra_linkorder.cpp)
    void Sortujlinkiwkategorii1Click();
    void Szukajpowtrek1Click();
    void Przesuzaznaczonelinkiwgr1Click();
    void Przesuzaznaczonelinkiwd1Click();
    void GetSelectedLinks(std::vector<std::string>& lines) const;
    void Przeniewybranelinkidoinnejkategorii1Click();

    // ---- category commands (dovra_categories.cpp)
    void BuildCategoryLine(std::string& name);
    void Dodajnowkategori1Click();
    void Zmienazw1Click();
    void Kolejno1Click();
    void Usutkategori1Click();

    // ---- failures the user sees (dovra_feedback.cpp)
    // The "<i>" of the focused link row; -1 when the list is empty.
    int FocusedLinkId() const;
    // True when result is DbOk; otherwise the list is reloaded from the
    // store with the row of focusId (link or category id) focused.
    bool LinksStored(int result, int focusId);
    bool CategoriesStored(int result, int focusId);
    // Opens one link (Windows-1250 text); false, once the user has been told,
    // when the desktop's opener cannot be started.
    bool OpenLinkOrSay(const std::string& link);

    // Links are opened through this opener (the desktop's by default).
    void SetOpener(std::unique_ptr<platform::Opener> opener);

    // The id ("<i>") of the selected category row, -1 for AllCategories
    // (the last row), and -1 when no row is selected.
    int SelectedCategoryId() const;

    // Runs handler inside the guard: an escaping exception is shown in the
    // application's error box. For connecting Qt signals to handlers.
    template <class Handler>
    auto Guarded(Handler handler)
    {
        return [this, handler]() { platform::RunGuarded(boxes, handler); };
    }

    platform::Boxes& boxes;

    // ---- members shared by the window's handlers and its dialogs
    bool Busy = false;
    int Pasek = 0;  // width of the description column
    std::string Version;
    std::string TempFolder;
    std::string ArchiveFolder;
    std::string RunTempSubfolder;
    std::string SettingsFolder;
    std::vector<std::string> LastImport;
    signed char UstPoz = 0;  // link selected after a category load: 0 first, 1 last
    std::string SearchText;
    bool SearchInLinks = false;
    bool SearchInDescriptions = false;
    bool SearchRequested = false;
    bool SearchCaseSensitive = false;

    // ---- components
    platform::ImageList ImageList1;
    QToolBar* ToolBar1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;  // "Kategoria :"
    QGroupBox* GroupBox2 = nullptr;  // "Lista linków : "
    LineListBox* ListBox2 = nullptr;  // categories
    LineListBox* ListBox1 = nullptr;  // links
    QHeaderView* HeaderControl1 = nullptr;
    platform::Timer* Timer1 = nullptr;
    QSystemTrayIcon* TrayIcon1 = nullptr;

    // PopupMenu1: the link list's menu
    QMenu* PopupMenu1 = nullptr;
    QAction* Otwrzlinkwdomylnympr1 = nullptr;
    QAction* Dodajnowylink1 = nullptr;
    QAction* Dodajlinkzeschowka1 = nullptr;
    QAction* Dodajlinkizpliku1 = nullptr;
    QAction* Zmielink1 = nullptr;
    QAction* Zmieopis1 = nullptr;
    QAction* Usutenlink1 = nullptr;
    QAction* Kopiujlinkdoschowka1 = nullptr;
    QAction* Kpiujzaznaczoneopisydoschowka1 = nullptr;
    QAction* Przesuzaznaczonelinkiwgr1 = nullptr;
    QAction* Przesuzaznaczonelinkiwd1 = nullptr;
    QAction* Przeniewybranelinkidoinnejkategorii1 = nullptr;
    QAction* Sortujlinkiwkategorii1 = nullptr;
    QAction* Szukajpowtrek1 = nullptr;
    QAction* Szukajlinkuwkategorii1 = nullptr;
    QAction* Szukaj1 = nullptr;
    QMenu* Konwertuj1 = nullptr;           // "Eksportuj"
    QMenu* Wszystkiekategorie1 = nullptr;  // "Wszystkie kategorie"
    QAction* Doplikutekstowego1 = nullptr;
    QAction* DoplikuHTML1 = nullptr;
    QMenu* Wybrankategori1 = nullptr;  // "Wybraną kategorię"
    QAction* Doplikutekstowego2 = nullptr;
    QAction* DoplikuHTML2 = nullptr;
    QAction* Monitorowanieschowka2 = nullptr;
    QAction* Opcjeprogramu1 = nullptr;
    QAction* Oprogramie1 = nullptr;
    QAction* Zamknij1 = nullptr;

    // PopupMenu2: the tray menu
    QMenu* PopupMenu2 = nullptr;
    QAction* Monitorowanieschowka1 = nullptr;
    QAction* Dodajnowylink2 = nullptr;
    QAction* Dodajlinkizeschowka1 = nullptr;
    QAction* Dodajlinkizpliku2 = nullptr;
    QAction* Poka1 = nullptr;
    QAction* Ukryj1 = nullptr;
    QAction* Zamknij2 = nullptr;

    // PopupMenu3: the category list's menu
    QMenu* PopupMenu3 = nullptr;
    QAction* Dodajnowkategori1 = nullptr;
    QAction* Zmienazw1 = nullptr;
    QAction* Kolejno1 = nullptr;
    QAction* Usutkategori1 = nullptr;

    // ToolBar1's buttons, in toolbar order
    QAction* ToolButton1 = nullptr;   // "Dodaj nowy link"
    QAction* ToolButton2 = nullptr;   // "Dodaj linki ze schowka"
    QAction* ToolButton3 = nullptr;   // "Dodaj linki z pliku"
    QAction* ToolButton22 = nullptr;  // "Zmień link"
    QAction* ToolButton23 = nullptr;  // "Zmień opis zaznaczonych linków"
    QAction* ToolButton25 = nullptr;  // "Usuń wybrane linki"
    QAction* ToolButton5 = nullptr;   // "Otwórz link(i) w domyślnym programie"
    QAction* ToolButton6 = nullptr;   // "Kopiuj zaznaczone linki do schowka"
    QAction* ToolButton7 = nullptr;   // "Kpiuj zaznaczone opisy do schowka"
    QAction* ToolButton17 = nullptr;  // "Przesuń zaznaczone linki w górę"
    QAction* ToolButton18 = nullptr;  // "Przesuń zaznaczone linki w dół"
    QAction* ToolButton24 = nullptr;  // "Przenieś wybrane linki do innej kategorii"
    QAction* ToolButton10 = nullptr;  // "Sortuj linki w kategorii"
    QAction* ToolButton11 = nullptr;  // "Znajdź powtórki"
    QAction* ToolButton29 = nullptr;  // "Szukaj linków w katalogu"
    QAction* ToolButton20 = nullptr;  // "Monitorowanie schowka", checkable
    QAction* ToolButton13 = nullptr;  // "Ustawienia programu"
    QAction* ToolButton14 = nullptr;  // "O programie"
    QAction* ToolButton16 = nullptr;  // "Zamknij", the last button

signals:
    // The close handler has run; the program ends.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    // Building the window (dovra_components.cpp).
    void CreateComponents();
    void CreateLists();
    void CreateLinkMenu();
    void CreateTrayMenu();
    void CreateCategoryMenu();
    void CreateToolBar();
    QAction* MenuItem(QMenu* menu, const QString& caption, int image, const QKeySequence& shortcut = {});
    QAction* ToolButton(const QString& hint, int image);
    void ConnectHandlers();
    void ConnectCommands();
    // Runs a link or category command when its menu item or button fires.
    void OnTriggered(QAction* action, void (TForm1::*handler)());
    // The "<i>" of a row of the category list.
    int CategoryIdOfRow(int row) const;
    // Moves the selected links one row up or down and stores the new positions.
    void ApplyLinkMove(const linkorder::LinkMove& move);

    // Start-up steps (dovra_startup.cpp).
    bool TakeSingleInstance();
    void ResolveFolders();
    void ReadSettings();
    void SetOuterSize(int width, int height);
    void RealignControls();
    void ApplyFrameCorrection();
    void ApplyOuterMinimum();

    std::string exePath_;
    std::unique_ptr<platform::Opener> opener_;
    platform::SingleInstanceLock instanceLock_;
    platform::MessageHooks hooks_;
    QStandardItemModel* headerModel_ = nullptr;
    bool terminateRequested_ = false;
    StartupChoices startupChoices_;
    bool applyingPasek_ = false;  // FormResize sets section 0; not the user's drag
    QSize requestedOuterSize_;    // from the settings, until the frame is known
    Qt::Orientations designSize_;  // sizes not stored: the design client area
};
