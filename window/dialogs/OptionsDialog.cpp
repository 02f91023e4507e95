#include "window/dialogs/OptionsDialog.h"

#include <QCheckBox>
#include <QEvent>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVariant>

#include "platform/ButtonKeys.h"
#include "platform/IniFile.h"
#include "platform/Timer.h"
#include "store/Funcs.h"
#include "window/mainwindow/dovra_.h"
#include "window/widgets/RadioGroup.h"
#include "window/widgets/UpDown.h"

namespace {

const std::string kSettingsFile = "dovra.ini";
const std::string kOptions = "Opcje";
const std::string kPaths = "Sciezki";
const char* const kFolderBytes = "folderBytes";

// The colour of the folder fields, the class library's $00F9FFFF.
const QColor kFolderFieldColour(255, 255, 249);
// The monitor's interval is the up-down's position times this, in ms.
constexpr int kIntervalStep = 500;
constexpr int kCancelImage = 2;
constexpr int kSaveImage = 22;

QPushButton* Button(const QString& caption, QWidget* parent, const QRect& geometry)
{
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(geometry);
    // Enter is no shortcut for any button of this dialog.
    platform::NeverDefault(button);
    return button;
}

QLabel* Label(const QString& caption, QWidget* parent, int x, int y)
{
    auto* label = new QLabel(caption, parent);
    label->move(x, y);
    label->adjustSize();
    return label;
}

QLineEdit* ReadOnlyEdit(QWidget* parent, const QRect& geometry)
{
    auto* edit = new QLineEdit(parent);
    edit->setGeometry(geometry);
    edit->setReadOnly(true);
    return edit;
}

QLineEdit* FolderEdit(QWidget* parent, const QRect& geometry)
{
    QLineEdit* edit = ReadOnlyEdit(parent, geometry);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, kFolderFieldColour);
    edit->setPalette(palette);
    return edit;
}

}  // namespace

TForm3::TForm3(TForm1& form1) : GuardedDialog(&form1, form1.boxes), form1_(form1)
{
    setWindowTitle(QStringLiteral("Opcje programu"));
    // A fixed single border with only the close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    QFont dialogFont = font();
    dialogFont.setPixelSize(11);
    setFont(dialogFont);
    setFixedSize(498, 307);
    CreateComponents();
    ConnectHandlers();
    FormCreate();
}

void TForm3::CreateComponents()
{
    CreateFolderGroup();
    CreateMonitorGroup();
    RadioGroup2 = new RadioGroup(QStringLiteral("Przy otwieraniu grupy ustawiaj na :"),
                                 {QStringLiteral("Pierwszą pozycję"), QStringLiteral("Ostatnią pozycję")}, this);
    RadioGroup2->setGeometry(252, 162, 238, 74);
    RadioGroup2->SetItemIndex(0);
    CheckBox2 = new QCheckBox(QStringLiteral("Sprawdzanie nowej wersji przy uruchamianiu"), this);
    CheckBox2->move(12, 244);
    CheckBox2->adjustSize();
    BitBtn6 = Button(QStringLiteral("Anuluj"), this, QRect(8, 272, 120, 27));
    BitBtn7 = Button(QStringLiteral("Zapisz zmiany"), this, QRect(370, 272, 120, 27));
}

void TForm3::CreateFolderGroup()
{
    GroupBox1 = new QGroupBox(QStringLiteral("Katalogi : "), this);
    GroupBox1->setGeometry(8, 4, 482, 152);
    QWidget* g = GroupBox1;
    Label1 = Label(QStringLiteral("Katalog z plikami tymczasowymi programu :"), g, 10, 18);
    Edit1 = FolderEdit(g, QRect(10, 33, 462, 21));
    BitBtn1 = Button(QStringLiteral("Wybierz"), g, QRect(10, 57, 90, 23));
    BitBtn2 = Button(QStringLiteral("Katalog programu"), g, QRect(104, 57, 140, 23));
    BitBtn5 = Button(QStringLiteral("Katalog tymczasowy Windows"), g, QRect(248, 57, 190, 23));
    Label2 = Label(QStringLiteral("Katalog z archiwum linków :"), g, 10, 86);
    Edit2 = FolderEdit(g, QRect(10, 101, 462, 21));
    BitBtn3 = Button(QStringLiteral("Wybierz"), g, QRect(10, 125, 90, 23));
    BitBtn4 = Button(QStringLiteral("Katalog programu"), g, QRect(104, 125, 140, 23));
    BitBtn8 = Button(QStringLiteral("Katalog ustawień Użytkownika"), g, QRect(248, 125, 190, 23));
    BitBtn1->setIcon(QIcon(QStringLiteral(":/form3/folder.png")));
    for (QLineEdit* edit : {Edit1, Edit2})
        edit->installEventFilter(this);
}

void TForm3::CreateMonitorGroup()
{
    GroupBox3 = new QGroupBox(QStringLiteral("Monitorowanie schowka : "), this);
    GroupBox3->setGeometry(8, 162, 236, 74);
    QWidget* g = GroupBox3;
    CheckBox1 = new QCheckBox(QStringLiteral("Monitorowanie włączone"), g);
    CheckBox1->move(10, 20);
    CheckBox1->adjustSize();
    Label7 = Label(QStringLiteral("Sprzwdzaj co : "), g, 10, 48);
    Edit3 = ReadOnlyEdit(g, QRect(98, 45, 44, 21));
    Edit3->setText(QStringLiteral("1"));
    UpDown1 = new UpDown(1, 100, 2, g);
    UpDown1->setGeometry(143, 45, 16, 21);
    Label8 = Label(QStringLiteral("sek"), g, 164, 48);
}

void TForm3::ConnectHandlers()
{
    ConnectClick(BitBtn1, &TForm3::BitBtn1Click);
    ConnectClick(BitBtn2, &TForm3::BitBtn2Click);
    ConnectClick(BitBtn3, &TForm3::BitBtn3Click);
    ConnectClick(BitBtn4, &TForm3::BitBtn4Click);
    ConnectClick(BitBtn5, &TForm3::BitBtn5Click);
    ConnectClick(BitBtn6, &TForm3::BitBtn6Click);
    ConnectClick(BitBtn7, &TForm3::BitBtn7Click);
    ConnectClick(BitBtn8, &TForm3::BitBtn8Click);
    connect(UpDown1, &UpDown::Click, this, [this] { Guarded([this] { UpDown1Click(); }); });
}

bool TForm3::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick && (watched == Edit1 || watched == Edit2)) {
        if (watched == Edit1)
            Guarded([this] { BitBtn1Click(); });
        else
            Guarded([this] { BitBtn3Click(); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

std::string TForm3::FolderText(const QLineEdit& edit)
{
    return edit.property(kFolderBytes).toByteArray().toStdString();
}

void TForm3::SetFolderText(QLineEdit& edit, const std::string& folder)
{
    const QByteArray bytes = QByteArray::fromStdString(folder);
    edit.setProperty(kFolderBytes, bytes);
    edit.setText(QFile::decodeName(bytes));
}

void TForm3::FormCreate()
{
    const platform::IniFile ini(form1_.SettingsFolder + kSettingsFile);
    CheckBox2->setChecked(ini.ReadBool(kOptions, "Wersja", true));
    SetFolderText(*Edit1, form1_.TempFolder);
    SetFolderText(*Edit2, form1_.ArchiveFolder);
    CheckBox1->setChecked(form1_.Timer1->Enabled());
    // An interval outside what the up-down covers opens at its nearest end.
    UpDown1->SetPosition(form1_.Timer1->Interval() / kIntervalStep);
    ShowInterval();
    RadioGroup2->SetItemIndex(form1_.UstPoz);
    const QIcon folderGlyph = BitBtn1->icon();
    for (QPushButton* button : {BitBtn2, BitBtn4, BitBtn3, BitBtn5, BitBtn8})
        button->setIcon(folderGlyph);
    BitBtn6->setIcon(form1_.ImageList1.Icon(kCancelImage));
    BitBtn7->setIcon(form1_.ImageList1.Icon(kSaveImage));
    EnableControls(true);
}

void TForm3::ShowInterval()
{
    // Like the class library's FloatToStr: no trailing zeros, the user's
    // decimal separator.
    Edit3->setText(QLocale().toString(UpDown1->Position() * 0.5, 'g', 15));
}

void TForm3::UpDown1Click()
{
    ShowInterval();
}

void TForm3::PickFolder(QLineEdit& edit)
{
    QString folder = QFile::decodeName(QByteArray::fromStdString(FolderText(edit)));
    if (!form1_.boxes.SelectDirectory(this, QStringLiteral("Wybierz katalog"), folder))
        return;
    std::string chosen = QFile::encodeName(folder).toStdString();
    if (chosen.empty() || chosen.back() != '/')
        chosen += '/';
    SetFolderText(edit, chosen);
}

void TForm3::BitBtn1Click()
{
    PickFolder(*Edit1);
}

void TForm3::BitBtn3Click()
{
    PickFolder(*Edit2);
}

void TForm3::BitBtn2Click()
{
    SetFolderText(*Edit1, form1_.ExeFolder());
}

void TForm3::BitBtn4Click()
{
    SetFolderText(*Edit2, form1_.ExeFolder());
}

void TForm3::BitBtn5Click()
{
    SetFolderText(*Edit1, GetTempDir());
}

void TForm3::BitBtn8Click()
{
    // The folder is not created here.
    SetFolderText(*Edit2, GetAppDataDir() + "/Quomira/");
}

void TForm3::BitBtn6Click()
{
    reject();
}

namespace {

// The folder as a box names it: a line break shows as "\n" or "\r", so the
// user sees where it is.
QString FolderForBox(const std::string& folder)
{
    QString shown = QFile::decodeName(QByteArray::fromStdString(folder));
    shown.replace(u'\n', QStringLiteral("\\n"));
    shown.replace(u'\r', QStringLiteral("\\r"));
    return shown;
}

}  // namespace

bool TForm3::CanStoreFolder(const std::string& folder, const QString& whichFolder)
{
    if (platform::IniFile::CanStore(folder))
        return true;
    form1_.boxes.MessageBox(this,
                            QStringLiteral("Nie można użyć ") + whichFolder + QStringLiteral(" \"") +
                                FolderForBox(folder) +
                                QStringLiteral("\".\nJego nazwa zawiera znak końca wiersza, a takiej nazwy nie da "
                                               "się zapisać w pliku ustawień.\nWybierz inny katalog."),
                            QStringLiteral("Ostrzeżenie"), platform::MbOk | platform::MbIconExclamation);
    return false;
}

void TForm3::BitBtn7Click()
{
    // A changed folder is stored in "dovra.ini" and read from it at the next
    // start: one the file cannot hold as it is would be read back as another
    // folder (the catalogue out of reach). Such a folder is refused before
    // anything is written, copied or switched; the dialog stays open.
    const std::string tempFolder = FolderText(*Edit1);
    const std::string archiveFolder = FolderText(*Edit2);
    if (tempFolder != form1_.TempFolder && !CanStoreFolder(tempFolder, QStringLiteral("katalogu plików tymczasowych")))
        return;
    if (archiveFolder != form1_.ArchiveFolder &&
        !CanStoreFolder(archiveFolder, QStringLiteral("katalogu archiwum linków")))
        return;
    platform::IniFile ini(form1_.SettingsFolder + kSettingsFile);
    const bool monitor = CheckBox1->isChecked();
    form1_.SwitchMonitor(monitor);
    form1_.Timer1->SetInterval(UpDown1->Position() * kIntervalStep);
    ini.WriteBool(kOptions, "Monitorowanie", monitor);
    ini.WriteInteger(kOptions, "CzasMon", form1_.Timer1->Interval());
    ini.WriteBool(kOptions, "Wersja", CheckBox2->isChecked());
    const int ustPoz = RadioGroup2->ItemIndex();
    ini.WriteInteger(kOptions, "UstPoz", ustPoz);
    form1_.UstPoz = static_cast<signed char>(ustPoz);
    if (tempFolder != form1_.TempFolder) {
        // Start-up reads "Temp"; TForm1::TempFolder stays as it is for this run.
        ini.WriteString(kPaths, "Temp", tempFolder);
        form1_.boxes.MessageBox(this,
                                QStringLiteral("Zmieniono katalog plików tymczasowych programu.\nZmiany zostaną "
                                               "uwzględnione po ponownym uruchomieniu programu"),
                                QStringLiteral("Informacja"), platform::MbOk | platform::MbIconInformation);
    }
    if (archiveFolder != form1_.ArchiveFolder)
        SwitchArchiveFolder(archiveFolder);
    accept();
}

void TForm3::EnableControls(bool on)
{
    for (QWidget* control : std::initializer_list<QWidget*>{GroupBox1, Edit1, Edit2, Label1, Label2, BitBtn1, BitBtn2,
                                                            BitBtn3, BitBtn4, BitBtn5, BitBtn8})
        control->setEnabled(on);
}
