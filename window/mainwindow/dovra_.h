// The main window: the category list, the link list with its column header,
// the toolbar, the three context menus, the clipboard monitor's timer and
// the tray icon, with start-up and shutdown.
//
// Handlers are public members named after their component and event; every
// one that Qt calls runs through Guarded(), so no exception reaches the event
// loop and each is one command for the store. Components and the shared
// members are public for the dialogs and for the tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QMainWindow>

#include "platform/Boxes.h"
#include "platform/Clipboard.h"
#include "platform/HandlerGuard.h"
#include "platform/ImageList.h"
#include "platform/MessageHooks.h"
#include "platform/Opener.h"
#include "platform/Process.h"
#include "platform/Timer.h"
#include "platform/Tray.h"
#include "store/Db_funcs.h"
#include "window/mainwindow/KeptLinks.h"

class QAction;
class QGroupBox;
class QHeaderView;
class QMenu;
class QPainter;
class QStandardItemModel;
class QSystemTrayIcon;
class QTimer;
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
    // Start-up decided that the program ends now (another instance runs, or
    // the update library said so): the event loop is not entered and the
    // close handler does not run.
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

    // ---- legacy conversion and the external libraries (dovra_legacy.cpp)
    // The external libraries are "update.so" and "archuse.so" in the
    // executable's folder, loaded by absolute path for one call each; a
    // missing or unloadable one is warned about ("Nie znaleziono wymaganej
    // biblioteki '<file>'" / "Ostrzeżenie", owner this window), a missing
    // export skipped silently.
    //
    // Asks the update library's _SprVer("dovra", Version, "Quomira", mode)
    // whether the program is to end now; false when the library or its
    // export is missing.
    bool CheckForUpdate(int mode);
    // Has the archive library's _OpenArch unpack the legacy files of
    // ArchiveFolder into TempFolder + RunTempSubfolder, which it first makes
    // with mode 0700 (see UnpackAndImportLegacy).
    void OpenArchives();
    // Start-up's offer: when archiveFolder holds "dovra.ldb", or "dovrad1.z"
    // with "dovrad2.z", asks whether to convert; on Yes unpacks and imports
    // (UnpackAndImportLegacy) and, once that succeeded, gives the legacy
    // files their ".bak" names, warning about each file that keeps its own
    // (WarnLegacyFileKept). 0 when nothing was converted or the
    // conversion succeeded, else the helper's result code.
    int ConvertLegacyDatabase(const std::string& tempFolder, const std::string& runTempSubfolder,
                              const std::string& archiveFolder);
    // Unpacks and imports the legacy catalogue of archiveFolder; shared by
    // start-up's conversion and the catalogue folder switch. In order:
    //  1. the archive library unpacks into tempFolder + runTempSubfolder
    //     (OpenArchives). That folder is made here with mode 0700 right
    //     before _OpenArch; when anything has its name already, or
    //     tempFolder is empty, "Nie można utworzyć katalogu plików
    //     tymczasowych :\n" + its path is shown and the library not called;
    //  2. the progress window TForm10 is shown, its animation running;
    //  3. only when the unpacked folder holds "kategorie":
    //     DbImportLegacyFolder(archiveFolder, tempFolder, runTempSubfolder),
    //     which creates archiveFolder's "dovra.db" when absent;
    //  4. TForm10 is closed and freed, on every way out.
    // Returns DbOk when a catalogue was imported; DbOpenFailed when nothing
    // was unpacked (library or export missing, folder not made, no
    // "kategorie"), nothing then being imported; otherwise the import's
    // code (DbOpenFailed, DbReopenFailed, DbWriteFailed; the store has
    // shown its message). An exception of the import (a legacy file that
    // cannot be read) leaves it after the steps above.
    // On disk: the run subfolder it made is gone afterwards on every way
    // out, with whatever the library left in it; a name taken by something
    // else is never touched. A "dovra.db" that the import created goes again
    // unless the import succeeded (also when an exception ends it), so a failed
    // conversion leaves no empty or partial catalogue behind; one that was
    // there before stays. The legacy files are left as they are: their
    // backup names are the caller's.
    int UnpackAndImportLegacy(const std::string& tempFolder, const std::string& runTempSubfolder,
                              const std::string& archiveFolder);
    // The warning, in a box of owner, that the legacy file at path kept its
    // name after its catalogue was converted: its links are stored already
    // and a second conversion would add them again; that the next start
    // offers the conversion again is said only when the legacy files it
    // looks for are still there. Start-up's conversion and the catalogue
    // folder switch both show it.
    void WarnLegacyFileKept(QWidget* owner, const std::string& path);
    // ---- search (dovra_search.cpp)
    void Szukajlinkuwkategorii1Click();
    void Szukaj1Click();
    void ConnectSearchCommands();
    // After LoadCategories(catId): when the selected category row does not
    // carry catId, "Wszystkie" (the last row, where every link is listed) is
    // selected instead.
    void SelectCategoryOrAll(int catId);
    // Exactly the rows of the link selected, the focus on the first of them.
    void SelectLinkById(int linkId);
    platform::Opener& LinkOpener() { return *opener_; }
    // ---- exports and the about box (dovra_export.cpp)
    void Doplikutekstowego1Click();
    void DoplikuHTML1Click();
    void Doplikutekstowego2Click();
    void DoplikuHTML2Click();
    // Asks for a file and writes category catId (-1: every category) into it.
    void ExportToText(int catId);
    void ExportToHtml(int catId);
    void Oprogramie1Click();
    // Connects the export items and the about command (from ConnectCommands).
    void ConnectExportCommands();
    // The exports' save dialog: its filter, file name and folder.
    platform::FileDialogRequest SaveDialog1;
    // ---- clipboard monitor and link import (dovra_import.cpp)
    void Dodajlinkzeschowka1Click();
    void Dodajlinkizpliku1Click();
    void Timer1Timer();
    // source: "CLIP" for the clipboard's text, else the path of a text file.
    void ImportLinks(const std::string& source);
    // The candidates the import takes from a clipboard text.
    static std::vector<std::string> ClipboardCandidates(const QString& clipboardText);
    // Puts copied links on the clipboard. LastImport becomes the candidates
    // the import takes from that text, so the monitor never offers the
    // program's own copy back, whatever of it passes the filter.
    void CopyLinksToClipboard(const std::string& text);
    void ToolButton20Click();
    void Monitorowanieschowka2Click();
    void Monitorowanieschowka1Click();
    void PopupMenu1Popup();
    // Switches the monitor on or off; the toolbar button and both menus' items show it.
    void SwitchMonitor(bool on);
    // The clipboard is reached through this object (the desktop's by default).
    void SetClipboard(std::unique_ptr<platform::Clipboard> clipboard);
    platform::Clipboard& Clipboard() { return *clipboard_; }
    // The open dialog of "Dodaj linki z pliku"; it keeps the folder last used.
    platform::FileDialogRequest OpenDialog1{
        {}, QStringLiteral("Pliki tekstowe (*.txt)|*.txt|Wszystkie pliki (*.*)|*.*"), 1, {}, {}};
    // ---- tray (dovra_tray.cpp)
    void TrayIcon1Click();
    void PopupMenu2Popup();
    void Poka1Click();
    void Ukryj1Click();
    void Zamknij1Click();
    void FormShow();
    void FormHide();
    // The main window's own event handling: the change to the minimised
    // state goes on to WMSysCommand.
    void Dispatch(QEvent& message);
    // After a minimise: to the tray, when there is one.
    void WMSysCommand();
    // Whether the desktop has a tray is asked of this host (the desktop's by default).
    void SetTrayHost(std::unique_ptr<platform::TrayHost> host);
    // While hidden to the tray: when the tray has gone away (Qt gives no
    // signal for it), the window is shown as by "Pokaż".
    void TrayCheckTimer();

    // ---- options dialog (dovra_options.cpp; TForm3 in OptionsDialog.cpp and FolderSwitch.cpp)
    void Opcjeprogramu1Click();
    // The executable's folder, ending with "/".
    std::string ExeFolder() const;

    // Links are opened through this opener (the desktop's by default).
    void SetOpener(std::unique_ptr<platform::Opener> opener);

    // The id ("<i>") of the selected category row, -1 for AllCategories
    // (the last row), and -1 when no row is selected.
    int SelectedCategoryId() const;

    // Runs handler as one command of the user (DbCommand: one store message
    // at most, one lock wait) inside the guard: an escaping exception is
    // shown in the application's error box. For connecting Qt signals to
    // handlers.
    template <class Handler>
    auto Guarded(Handler handler)
    {
        return [this, handler]() {
            const DbCommand command;
            platform::RunGuarded(boxes, handler);
        };
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
    QGroupBox* GroupBox1 = nullptr;   // "Kategoria :"
    QGroupBox* GroupBox2 = nullptr;   // "Lista linków : "
    LineListBox* ListBox2 = nullptr;  // categories
    LineListBox* ListBox1 = nullptr;  // links
    QHeaderView* HeaderControl1 = nullptr;
    platform::Timer* Timer1 = nullptr;
    QSystemTrayIcon* TrayIcon1 = nullptr;
    QTimer* TrayCheck = nullptr;  // runs only while hidden to the tray, every 2 s

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

    // The close handler has run: the program is ending.
    bool Closing() const { return closed_; }

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
    void ConnectImport();
    // Runs a link or category command when its menu item or button fires.
    void OnTriggered(QAction* action, void (TForm1::*handler)());
    // The "<i>" of a row of the category list.
    int CategoryIdOfRow(int row) const;
    // Moves the selected links one row up or down and stores the new positions.
    void ApplyLinkMove(const linkorder::LinkMove& move);

    // Tray (dovra_tray.cpp): the tray icon's click, its menu, the close commands.
    void ConnectTray();
    // A tray add command: chosen while Busy is raised, it does nothing.
    void OnTrayAddCommand(QAction* item, void (TForm1::*handler)());
    // The tray icon is shown in a tray that the desktop has.
    bool InTray() const;
    // Hides the window to the tray and looks for the tray while hidden.
    void HideToTray();
    // The program is ending: the monitor stops, open modal windows are cancelled.
    void EndForClose();
    std::unique_ptr<platform::TrayHost> trayHost_ = std::make_unique<platform::DesktopTrayHost>();
    bool closed_ = false;  // the close handler has run

    // Start-up steps (dovra_startup.cpp).
    bool TakeSingleInstance();
    void ResolveFolders();
    void ReadSettings();
    void SetOuterSize(int width, int height);
    void RealignControls();
    void ApplyFrameCorrection();
    void ApplyOuterMinimum();
    void KeepShownFrame();
    QRect FrameToSave() const;

    // Legacy conversion steps (dovra_legacy.cpp).
    bool UpdateCheckEndsStartup();
    void OfferLegacyConversion();
    std::string ExternalLibraryPath(const char* fileName) const;
    void WarnLibraryMissing(const char* fileName);
    // OpenArchives for the given folders; true when it made the run subfolder.
    bool UnpackLegacyFiles(const std::string& tempFolder, const std::string& runTempSubfolder,
                           const std::string& archiveFolder);

    std::string exePath_;
    std::unique_ptr<platform::Opener> opener_;
    std::unique_ptr<platform::Clipboard> clipboard_ = std::make_unique<platform::SystemClipboard>();
    platform::SingleInstanceLock instanceLock_;
    platform::MessageHooks hooks_;
    QStandardItemModel* headerModel_ = nullptr;
    bool terminateRequested_ = false;
    StartupChoices startupChoices_;
    bool applyingPasek_ = false;   // FormResize sets section 0; not the user's drag
    KeptLinks keptLinks_;          // every link's line while a category is shown (dovra_lists.cpp)
    QSize requestedOuterSize_;     // from the settings, until the frame is known
    Qt::Orientations designSize_;  // sizes not stored: the design client area
    QRect shownFrame_;             // the outer frame when last shown, not minimised
};
