// Start-up and shutdown of the main window, and the settings file
// "dovra.ini" with its sections "Opcje" and "Sciezki".
#include <ctime>
#include <limits>

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QSystemTrayIcon>

#include "platform/Convert.h"
#include "platform/FileOps.h"
#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/Layouts.h"
#include "platform/Messages.h"
#include "store/Db_funcs.h"
#include "store/Funcs.h"
#include "window/logic/StoredGeometry.h"
#include "window/mainwindow/dovra_.h"
#include "window/widgets/LineListBox.h"

namespace {

const std::string kSettingsFile = "dovra.ini";
const std::string kOptions = "Opcje";
const std::string kPaths = "Sciezki";

constexpr int kMinWidth = 640;
constexpr int kMinHeight = 470;
constexpr int kDefaultMonitorInterval = 1000;
constexpr int kNotStored = std::numeric_limits<int>::min();

// "yyyymmddhhnn" of the current local time.
std::string CurrentMinuteStamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16] = {};
    std::strftime(text, sizeof text, "%Y%m%d%H%M", &local);
    return text;
}

QSize FrameExtra(const QWidget& window)
{
    return window.frameGeometry().size() - window.geometry().size();
}

FrameRect RectOf(const QRect& r)
{
    return {r.x(), r.y(), r.width(), r.height()};
}

// The screens of the desktop, the primary first.
Screens DesktopScreens()
{
    Screens screens;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return screens;
    screens.primary = RectOf(primary->geometry());
    screens.available.push_back(RectOf(primary->availableGeometry()));
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen != primary)
            screens.available.push_back(RectOf(screen->availableGeometry()));
    return screens;
}

std::optional<int> Stored(int value)
{
    return value == kNotStored ? std::nullopt : std::optional<int>(value);
}

// A folder read from the settings file, ending with "/" as every folder the
// window holds does: "/home/u/arch" would put "archdovra.db" beside the
// catalogue. An empty text (no folder) stays empty.
std::string WithTrailingSlash(const std::string& folder)
{
    if (folder.empty() || folder.back() == '/')
        return folder;
    return folder + "/";
}

// A folder of "Sciezki", ending with "/": an empty value names no folder and
// reads as the default, as a missing key does; a relative one is taken in the
// settings folder (where "dovra.ini" is), never in whatever folder the
// program was started from.
std::string StoredFolder(const platform::IniFile& ini, const std::string& key, const std::string& defaultFolder,
                         const std::string& settingsFolder)
{
    const std::string folder = ini.ReadString(kPaths, key, "");
    if (folder.empty())
        return WithTrailingSlash(defaultFolder);
    return WithTrailingSlash(folder.front() == '/' ? folder : settingsFolder + folder);
}

}  // namespace

void TForm1::FormCreate()
{
    const DbCommand command;  // start-up says a store failure once
    platform::BusyGuard busy(Busy);
    Version = "1.3.0.0";
    setWindowTitle(QStringLiteral("Quomira v") + QString::fromStdString(Version));
    SearchInLinks = true;
    SearchInDescriptions = false;
    SearchRequested = false;
    SearchCaseSensitive = false;
    // Qt paints the lists, the header and the toolbar without flicker; no
    // double buffering needs switching on.

    if (!TakeSingleInstance()) {
        terminateRequested_ = true;
        busy.KeepRaised();
        return;
    }
    ResolveFolders();
    ReadSettings();
    if (UpdateCheckEndsStartup()) {
        terminateRequested_ = true;
        busy.KeepRaised();
        return;
    }
    OfferLegacyConversion();

    TrayIcon1->show();
    platform::ProcessMessages();

    if (LoadCategories(startupChoices_.categoryToSelect) == DbOk)
        ListBox2Click();
    DbCheckVersion(ArchiveFolder);
}

bool TForm1::TakeSingleInstance()
{
    using Lock = platform::SingleInstanceLock;
    if (instanceLock_.Acquire(platform::ExtractFileName(exePath_)) != Lock::Result::HeldElsewhere)
        return true;  // taken, or no lock to be had: start as the only copy
    boxes.MessageBox(this, QStringLiteral("Program Quomira jest już uruchomiony"), QStringLiteral("Informacja"),
                     platform::MbOk | platform::MbIconExclamation);
    return false;
}

void TForm1::ResolveFolders()
{
    const std::string exeFolder = platform::ExtractFilePath(exePath_);
    TempFolder = GetTempDir();
    // Six random characters: never a name another user of a shared temp
    // folder could take first.
    RunTempSubfolder = "dovratemp_" + CurrentMinuteStamp() + "_" + platform::RandomCharacters(6) + "/";
    SettingsFolder = exeFolder;
    const std::string appData = GetAppDataDir();
    if (!appData.empty()) {
        SettingsFolder = appData + "/Quomira/";
        // A new account may have no ~/.local/share yet: the folder is made
        // with its missing parents, each for the user alone.
        platform::CreatePrivateDirs(SettingsFolder);
        const std::string oldFile = exeFolder + kSettingsFile;
        const std::string newFile = SettingsFolder + kSettingsFile;
        if (!exeFolder.empty() && platform::FileExists(oldFile) && !platform::FileExists(newFile))
            platform::MoveFileReplace(oldFile, newFile);
    }
    ArchiveFolder = SettingsFolder;
}

void TForm1::ReadSettings()
{
    const platform::IniFile ini(SettingsFolder + kSettingsFile);
    RealignControls();

    // Until the window is framed its outer size is the design client area;
    // a size not stored grows by the frame once the frame is known.
    const QSize outer = frameGeometry().size();
    const int storedWidth = ini.ReadInteger(kOptions, "Szer", kNotStored);
    const int storedHeight = ini.ReadInteger(kOptions, "Wys", kNotStored);
    designSize_ = {};
    if (storedWidth == kNotStored)
        designSize_ |= Qt::Horizontal;
    if (storedHeight == kNotStored)
        designSize_ |= Qt::Vertical;
    // Whatever the file holds, the frame fits the desktop and its title bar
    // is on a screen.
    const StoredFrame stored{storedWidth == kNotStored ? outer.width() : storedWidth,
                             storedHeight == kNotStored ? outer.height() : storedHeight,
                             Stored(ini.ReadInteger(kOptions, "PolX", kNotStored)),
                             Stored(ini.ReadInteger(kOptions, "PolY", kNotStored))};
    const FrameRect frame = PlaceStoredFrame(stored, {kMinWidth, kMinHeight}, DesktopScreens());
    // The design size grows by the frame once it is known, and only then
    // is raised to the minimum.
    SetOuterSize(storedWidth == kNotStored ? outer.width() : frame.width,
                 storedHeight == kNotStored ? outer.height() : frame.height);
    move(frame.left, frame.top);
    RealignControls();

    const int pasek = ini.ReadInteger(kOptions, "Pasek", HeaderControl1->width() - HeaderControl1->sectionSize(0));
    Pasek = DescriptionColumnWidth(pasek, HeaderControl1->width());
    setMinimumSize(kMinWidth, kMinHeight);
    RealignControls();
    FormResize();  // section 0 := header width - Pasek

    TempFolder = StoredFolder(ini, "Temp", TempFolder, SettingsFolder);
    ArchiveFolder = StoredFolder(ini, "Archiwa", ArchiveFolder, SettingsFolder);
    UstPoz = static_cast<signed char>(ini.ReadInteger(kOptions, "UstPoz", 0) & 0xFF);
    if (UstPoz < 0 || UstPoz > 1)
        UstPoz = 0;
    SwitchMonitor(ini.ReadBool(kOptions, "Monitorowanie", false));
    Timer1->SetInterval(MonitorInterval(ini.ReadInteger(kOptions, "CzasMon", kDefaultMonitorInterval)));
    startupChoices_.checkForUpdate = ini.ReadBool(kOptions, "Wersja", true);
    startupChoices_.categoryToSelect = CategoryToSelect(ini.ReadInteger(kOptions, "AktPoz", -1));
}

// The stored size is the outer frame's. Before the window is shown the frame
// is not known yet; the size is then corrected once it is (event()).
void TForm1::SetOuterSize(int width, int height)
{
    requestedOuterSize_ = QSize(width, height);
    resize(QSize(width, height) - FrameExtra(*this));
}

// The minimum size 640 x 470 is the outer frame's, as the stored size is:
// Qt's minimum is the client area's, so it shrinks by the frame.
void TForm1::ApplyOuterMinimum()
{
    const QSize minimum = QSize(kMinWidth, kMinHeight) - FrameExtra(*this);
    if (minimumSize() != minimum)
        setMinimumSize(minimum);
}

void TForm1::ApplyFrameCorrection()
{
    if (!isVisible())
        return;
    const QSize extra = FrameExtra(*this);
    if (extra.width() <= 0 && extra.height() <= 0)
        return;  // no frame reported (yet)
    ApplyOuterMinimum();
    if (!requestedOuterSize_.isValid())
        return;
    QSize outer = requestedOuterSize_;
    if (designSize_ & Qt::Horizontal)
        outer.rwidth() += extra.width();
    if (designSize_ & Qt::Vertical)
        outer.rheight() += extra.height();
    requestedOuterSize_ = QSize();
    const QSize wanted = outer.expandedTo(QSize(kMinWidth, kMinHeight)) - extra;
    if (wanted != size())
        resize(wanted);
}

// A window hidden or minimised has no frame on the screen, and the window
// manager may put it anywhere meanwhile: letting a hidden window go, openbox
// puts it back without its frame. The frame saved at close is the one the
// window had when last shown.
void TForm1::KeepShownFrame()
{
    if (isVisible() && !isMinimized())
        shownFrame_ = frameGeometry();
}

QRect TForm1::FrameToSave() const
{
    if ((isVisible() && !isMinimized()) || !shownFrame_.isValid())
        return frameGeometry();
    return shownFrame_;
}

bool TForm1::event(QEvent* event)
{
    Dispatch(*event);
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
        ApplyFrameCorrection();
        KeepShownFrame();
        break;
    case QEvent::WindowActivate:
        // By now the window manager has framed the window, if it ever does.
        ApplyFrameCorrection();
        requestedOuterSize_ = QSize();
        KeepShownFrame();
        break;
    case QEvent::Hide:
        KeepShownFrame();
        break;
    default:
        break;
    }
    return QMainWindow::event(event);
}

void TForm1::RealignControls()
{
    platform::ApplyLayouts(this);
}

void TForm1::FormClose()
{
    int categoryId = -1;
    if (ListBox2->ItemIndex() >= 0)
        categoryId = StrToInt(GetTagValue(ListBox2->Item(ListBox2->ItemIndex()), "<i>"));

    platform::IniFile ini(SettingsFolder + kSettingsFile);
    const QRect frame = FrameToSave();
    ini.WriteInteger(kOptions, "AktPoz", categoryId);
    ini.WriteInteger(kOptions, "Szer", frame.width());
    ini.WriteInteger(kOptions, "Wys", frame.height());
    ini.WriteInteger(kOptions, "PolX", frame.x());
    ini.WriteInteger(kOptions, "PolY", frame.y());
    ini.WriteInteger(kOptions, "Pasek", Pasek);
    ini.WriteBool(kOptions, "Monitorowanie", Timer1->Enabled());
    ini.WriteInteger(kOptions, "CzasMon", Timer1->Interval());

    // Without a temp folder the subfolder name alone would be a path
    // relative to the working folder: nothing of ours is there.
    if (TempFolder.empty())
        return;
    const std::string runFolder = TempFolder + RunTempSubfolder;
    EmptyFolder(runFolder);
    platform::RemoveFolder(runFolder);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (closed_)
        return;  // a second close while the program ends
    closed_ = true;
    // A failed write has been shown; the window closes all the same.
    platform::RunGuarded(boxes, [this] { FormClose(); });
    EndForClose();
    emit Closed();
}
