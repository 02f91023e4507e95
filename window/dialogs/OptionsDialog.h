// The options dialog: the temp and catalogue folders, the clipboard monitor
// and its interval, the link chosen when a category opens, and the update
// check at start. It reads the main window's state when it opens; only its
// save ("Zapisz zmiany") changes anything: the settings file, the monitor,
// TForm1::UstPoz, and, when the catalogue folder changed, the catalogue
// folder switch (FolderSwitch.cpp), which runs inside the save.
//
// The folder fields hold folders as native path bytes ending with "/"; what
// they show is only their display.
#pragma once

#include <string>
#include <vector>

#include "window/dialogs/GuardedDialog.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class RadioGroup;
class TForm1;
class UpDown;

class TForm3 final : public GuardedDialog {
    Q_OBJECT
public:
    // A child of the main window, whose members it reads and changes.
    explicit TForm3(TForm1& form1);

    // ---- handlers
    void FormCreate();
    void UpDown1Click();
    void BitBtn1Click();  // "Wybierz" for the temp folder (and a double click on Edit1)
    void BitBtn3Click();  // "Wybierz" for the catalogue folder (and a double click on Edit2)
    void BitBtn2Click();  // temp folder := the program's folder
    void BitBtn4Click();  // catalogue folder := the program's folder
    void BitBtn5Click();  // temp folder := the system temp folder
    void BitBtn8Click();  // catalogue folder := the per-user settings folder
    void BitBtn6Click();  // "Anuluj"
    void BitBtn7Click();  // "Zapisz zmiany"
    void EnableControls(bool on);

    // The exact bytes of a folder field, and setting them.
    static std::string FolderText(const QLineEdit& edit);
    static void SetFolderText(QLineEdit& edit, const std::string& folder);

    // ---- components
    QGroupBox* GroupBox1 = nullptr;  // "Katalogi : "
    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;  // the temp folder
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn5 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit2 = nullptr;  // the catalogue folder
    QPushButton* BitBtn3 = nullptr;
    QPushButton* BitBtn4 = nullptr;
    QPushButton* BitBtn8 = nullptr;
    QGroupBox* GroupBox3 = nullptr;  // "Monitorowanie schowka : "
    QCheckBox* CheckBox1 = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* Edit3 = nullptr;  // the interval in seconds, display only
    UpDown* UpDown1 = nullptr;   // the interval in half seconds
    QLabel* Label8 = nullptr;
    RadioGroup* RadioGroup2 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QPushButton* BitBtn6 = nullptr;  // "Anuluj"
    QPushButton* BitBtn7 = nullptr;  // "Zapisz zmiany"

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateComponents();
    void CreateFolderGroup();
    void CreateMonitorGroup();
    void ConnectHandlers();
    // Runs a handler inside the main window's guard.
    // The folder picker for one field.
    void PickFolder(QLineEdit& edit);
    // The seconds shown for the up-down's position.
    void ShowInterval();
    // Whether the settings file can hold folder as it is; when it cannot, a
    // box names the folder (whichFolder: "katalogu archiwum linków", ...).
    bool CanStoreFolder(const std::string& folder, const QString& whichFolder);

    // ---- the catalogue folder switch (FolderSwitch.cpp); the save runs it
    // only for a folder that "Archiwa" can hold (CanStoreFolder)
    void SwitchArchiveFolder(const std::string& newFolder);
    int SwitchStep(int state, const std::string& newFolder, const std::string& oldFolder);
    int AskAboutLegacyFiles(const std::string& newFolder);
    bool ConvertLegacyFolder(const std::string& newFolder, const std::string& oldFolder);
    // The paths of the legacy files that kept their names.
    std::vector<std::string> SetLegacyFilesAside(const std::string& folder);
    int NoDatabaseInFolder(const std::string& newFolder);
    void OpenCatalogue(const std::string& newFolder, const std::string& oldFolder);
    void MoveCatalogue(const std::string& newFolder);
    // Writes "Sciezki"/"Archiwa".
    void StoreArchiveFolder(const std::string& folder);
    // Puts the dialog aside while the conversion's progress window shows,
    // without leaving its modal loop, and back.
    void SetAside(bool aside);

    TForm1& form1_;
};
