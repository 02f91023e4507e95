// A fresh world for one window test: a temporary folder that HOME,
// XDG_DATA_HOME, TMPDIR and XDG_RUNTIME_DIR point into, a catalogue seeded
// with the rows the store facade would write, scripted boxes, and the main window created on a
// stand-in executable path and started with FormCreate.
//
//   void MyTest::init()    { fx = std::make_unique<WindowFixture>(); }
//   void MyTest::cleanup() { EndFixture(fx); }
//   void MyTest::addsLink()
//   {
//       const int news = fx->AddCategory("Wiadomości");
//       fx->AddLink(news, "http://a.pl", "A");
//       TForm1& form = fx->Start();
//       ...
//       fx->boxes.Script(platform::BoxAnswer::Text("http://b.pl"));
//       ...
//       const auto asked = fx->boxes.TakeAsked();   // assert texts and captions
//   }
//
// Texts given to and read from the helpers are UTF-8 and converted to
// Windows-1250 for the store.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "platform/IniFile.h"
#include "platform/testing/RecordingOpener.h"
#include "platform/testing/ScriptedBoxes.h"
#include "tests/EnvGuard.h"
#include "tests/window/TestLibrary.h"
#include "window/mainwindow/dovra_.h"
#include "window/widgets/LineListBox.h"

class WindowFixture {
public:
    // The store's lock wait while a fixture lives: short, so that a locked
    // case costs the suite little.
    static constexpr int kTestLockWait = 150;

    WindowFixture();
    ~WindowFixture();
    WindowFixture(const WindowFixture&) = delete;
    WindowFixture& operator=(const WindowFixture&) = delete;

    // Folders, each ending with "/".
    std::string Root() const { return root_; }
    std::string SettingsFolder() const { return root_ + "data/Quomira/"; }
    std::string TempFolder() const { return root_ + "tmp/"; }
    std::string ExeFolder() const { return root_ + "bin/"; }
    // The stand-in executable: its folder and its file name matter.
    std::string ExePath() const { return ExeFolder() + exeName_; }
    void SetExeName(const std::string& name) { exeName_ = name; }

    // The stand-in executable folder holds the shipped "update.so"; tests
    // put the test library there under either name through Library().
    TestLibrary& Library() { return *library_; }

    // The settings file in the settings folder.
    std::string SettingsPath() const { return SettingsFolder() + "dovra.ini"; }
    void WriteSettings(const std::string& text) const;
    std::string ReadSettingsFile() const;  // "" when there is none
    platform::IniFile Settings() const { return platform::IniFile(SettingsPath()); }

    // The catalogue in the default archive folder (the settings folder).
    int AddCategory(const std::string& nameUtf8);  // answers the new id
    int AddLink(int catId, const std::string& linkUtf8, const std::string& descrUtf8 = "");
    // count links "http://<prefix><n>.pl" in one store call.
    void AddLinks(int catId, int count, const std::string& prefix);

    // The rows an SQL query answers on the catalogue file, each column as its
    // text bytes ("" for NULL). Fails the test's QVERIFY when the query fails.
    using Rows = std::vector<std::vector<std::string>>;
    Rows Query(const std::string& sql) const;
    // The same on the catalogue file of another folder (ending with "/").
    Rows QueryIn(const std::string& folder, const std::string& sql) const;
    // The catalogue of the settings folder as a file SQLite may read but not
    // write (cataloguefaults::MakeReadOnly).
    void MakeCatalogueReadOnly() const;

    // Creates the window and runs its start-up inside the handler guard.
    TForm1& Start();
    TForm1& Form() { return *form_; }
    // Gives the started window an opener that records what it opens (owned
    // by the window) and answers it.
    platform::RecordingOpener& RecordOpens();
    // A further window (a second start) on the same boxes.
    std::unique_ptr<TForm1> CreateForm();
    void DestroyForm() { form_.reset(); }

    // Runs the event loop until a box has been shown (an answer that comes
    // later is said queued), then a little longer, so that a second box
    // would be shown too; false when none came.
    bool WaitForABox();

    // "" when every box shown was taken with TakeAsked and every scripted
    // answer was used; otherwise what was left.
    QString BoxesLeftOver();

    platform::ScriptedBoxes boxes;

private:
    QTemporaryDir dir_;
    std::string root_;
    std::string exeName_ = "quomira";
    std::vector<std::unique_ptr<EnvGuard>> env_;
    std::unique_ptr<TestLibrary> library_;
    std::unique_ptr<TForm1> form_;
};

// Fails the test when a box went unchecked or a question was unscripted.
#define VERIFY_BOXES_DONE(fixture)                                                                                     \
    do {                                                                                                               \
        const QString leftOver = (fixture).BoxesLeftOver();                                                            \
        QVERIFY2(leftOver.isEmpty(), qPrintable(leftOver));                                                            \
    } while (false)

// A test's cleanup: fails the test when a box went unchecked or a question
// was unscripted, and ends the fixture however that check ends, so that a
// failing test leaves nothing for the next.
inline void EndFixture(std::unique_ptr<WindowFixture>& fx)
{
    const auto fixture = std::move(fx);
    VERIFY_BOXES_DONE(*fixture);
}

// A UTF-8 literal of a test as the program's Windows-1250 bytes.
std::string Cp(const std::string& utf8);

// The system clipboard's text as Windows-1250 bytes, and setting it.
std::string SystemClipboardText();
void SetSystemClipboardText(const std::string& textCp1250);

// Reading the window's lists in tests.
std::vector<std::string> ListLines(const LineListBox& box);
std::vector<int> SelectedRows(const LineListBox& box);
// The "<i>" of each row.
std::vector<int> RowIds(const LineListBox& box);
// Makes the window visible and waits until it is exposed and active.
bool ShowAndWait(TForm1& form);
// The names in a folder, sorted.
std::vector<std::string> FolderNames(const std::string& folder);

// Chooses a category row as the user would (ListBox2Click runs); row -1
// leaves no row chosen and runs nothing.
void ChooseCategory(TForm1& form, int row);
// Makes focus the focused link row and exactly rows the selected ones.
void SelectLinkRows(TForm1& form, const std::vector<int>& rows, int focus);

// How a modal dialog opened by a command went.
struct ModalRun {
    bool opened = false;    // a dialog of the type asked for was shown
    bool leftOpen = false;  // act left it open; it was rejected
};

// Runs command; once a dialog of type Dialog is the active modal window, act
// gets it. A dialog that act leaves open is rejected, so no test hangs.
template <class Dialog>
ModalRun RunModal(const std::function<void()>& command, const std::function<void(Dialog&)>& act)
{
    ModalRun run;
    QTimer::singleShot(0, qApp, [&run, act] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        run.opened = true;
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        act(*dialog);
        if (dialog->isVisible()) {
            run.leftOpen = true;
            dialog->reject();
        }
    });
    command();
    QCoreApplication::processEvents();  // the timer fires here when no dialog opened
    return run;
}
