// The export commands: the save dialog asked, the overwrite question, the
// refusal of the program's own files, and the exported files byte for byte.
#include <filesystem>
#include <fstream>
#include <optional>

#include <QAction>
#include <QtTest>

#include <sqlite3.h>

#include "platform/Files.h"
#include "tests/FileSizeLimit.h"
#include "tests/window/WindowFixture.h"

namespace fs = std::filesystem;
using platform::AskedBox;
using platform::BoxAnswer;
using platform::BoxKind;

namespace {

const QString kTextFilter = QStringLiteral("Pliki tekstowe (*.txt)|*.txt|Wszystkie pliki (*.*)|*.*");
const QString kHtmlFilter = QStringLiteral("Pliki HTML (*.htm,*.html)|*.htm;*.html|Wszystkie pliki (*.*)|*.*");
const QString kOverwrite = QStringLiteral("Istnieje wybrany plik, czy ma zostać nadpisany ?");
const QString kRefusal = QStringLiteral("Nie można zapisać eksportu do pliku bazy danych lub ustawień programu.");

std::string Head(const std::string& title)
{
    return "<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1250\">\n"
           "<title>" +
        title + "</title>\n</head>\n<body>\n";
}

const std::string kFoot = "</body>\n</html>";

std::string Bytes(const std::string& path)
{
    return platform::ReadFileBytes(path);
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

QString Q(const std::string& path)
{
    return QString::fromStdString(path);
}

// Runs sql on the catalogue file through a connection of the test's own.
void ExecOn(const std::string& dbPath, const std::string& sql)
{
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(dbPath.c_str(), &db), SQLITE_OK);
    const int result = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QCOMPARE(result, SQLITE_OK);
}

// The save dialog as the window asked it: file name and filter.
void VerifySaveDialog(const AskedBox& box, const QString& fileName, const QString& filter)
{
    QCOMPARE(box.kind, BoxKind::SaveFile);
    QCOMPARE(box.text, fileName);
    QCOMPARE(box.value, filter);
}

void VerifyMessage(const AskedBox& box, const QString& text, const QString& caption, unsigned flags)
{
    QCOMPARE(box.kind, BoxKind::MessageBox);
    QCOMPARE(box.text, text);
    QCOMPARE(box.caption, caption);
    QCOMPARE(box.flags, flags);
}

// Records the busy flag whenever the save dialog or a question is shown.
class BusyWatchingBoxes : public platform::ScriptedBoxes {
public:
    const TForm1* form = nullptr;
    std::vector<bool> busyWhenAsked;

    bool SaveFile(QWidget* owner, const platform::FileDialogRequest& request, QString& path) override
    {
        busyWhenAsked.push_back(form->Busy);
        return ScriptedBoxes::SaveFile(owner, request, path);
    }
    int MessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned flags) override
    {
        busyWhenAsked.push_back(form->Busy);
        return ScriptedBoxes::MessageBox(owner, text, caption, flags);
    }
};

}  // namespace

class ExportCommandsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> fx;
    int a = 0, b = 0;

    // The whole catalogue of the seed as exported.
    std::string WholeText() const { return "[Bez kategorii]\n[A]\nx\ny&<z>\n[" + Cp("Bądź") + "]\n"; }
    std::string WholeHtmlBody() const
    {
        return "<p>[Bez kategorii]</p>\n"
               "<p>[A]</p>\n"
               "<A href=\"x\">x</A> opis &lt;b&gt; &amp; &quot;c&quot; " +
            Cp("ł") +
            "<br>\n"
            "<A href=\"y&amp;&lt;z&gt;\">y&amp;&lt;z&gt;</A> <br>\n"
            "<p>[" +
            Cp("Bądź") + "]</p>\n";
    }
    std::string Out(const std::string& name) const { return fx->Root() + name; }

private slots:
    void init()
    {
        fx = std::make_unique<WindowFixture>();
        // A with x and y, B without links, no uncategorised link.
        a = fx->AddCategory("A");
        b = fx->AddCategory("Bądź");
        fx->AddLink(a, "x", "opis <b> & \"c\" ł");
        fx->AddLink(a, "y&<z>");
    }
    void cleanup() { EndFixture(fx); }

    // ---- the files

    void exportsTheWholeCatalogueAsText()
    {
        TForm1& form = fx->Start();
        fx->boxes.Script(BoxAnswer::Path(Q(Out("all.txt"))));
        form.Doplikutekstowego1->trigger();
        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(1));
        VerifySaveDialog(asked[0], QStringLiteral("dovra.txt"), kTextFilter);
        QCOMPARE(Bytes(Out("all.txt")), WholeText());
        QVERIFY(!form.Busy);
    }

    void exportsTheWholeCatalogueAsHtml()
    {
        TForm1& form = fx->Start();
        fx->boxes.Script(BoxAnswer::Path(Q(Out("all.html"))));
        form.DoplikuHTML1->trigger();
        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(1));
        VerifySaveDialog(asked[0], QStringLiteral("dovra.html"), kHtmlFilter);
        // The head declares the code page; no line feed follows the foot.
        QCOMPARE(Bytes(Out("all.html")), Head(Out("all.html")) + WholeHtmlBody() + kFoot);
    }

    void theHtmlTitleIsTheEscapedPathInTheCodePage()
    {
        TForm1& form = fx->Start();
        const std::string name = "a&b<c>\"ł.html";  // UTF-8
        fx->boxes.Script(BoxAnswer::Path(QString::fromUtf8(Out(name))));
        form.DoplikuHTML1->trigger();
        fx->boxes.TakeAsked();
        QVERIFY(fs::exists(Out(name)));  // created under its UTF-8 name
        const std::string title = fx->Root() + "a&amp;b&lt;c&gt;&quot;\xb3.html";
        QCOMPARE(Bytes(Out(name)), Head(title) + WholeHtmlBody() + kFoot);
    }

    void theWholeCatalogueShortcuts_data()
    {
        QTest::addColumn<bool>("html");
        QTest::newRow("Ctrl+Alt+T") << false;
        QTest::newRow("Ctrl+Alt+H") << true;
    }

    void theWholeCatalogueShortcuts()
    {
        QFETCH(bool, html);
        TForm1& form = fx->Start();
        QVERIFY(ShowAndWait(form));
        ChooseCategory(form, 1);  // whatever category is shown
        form.ListBox1->setFocus();
        const std::string path = Out(html ? "all.html" : "all.txt");
        fx->boxes.Script(BoxAnswer::Path(Q(path)));
        QTest::keyClick(form.ListBox1, html ? Qt::Key_H : Qt::Key_T, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(fx->boxes.TakeAsked().size(), size_t(1));
        QCOMPARE(Bytes(path), html ? Head(path) + WholeHtmlBody() + kFoot : WholeText());
    }

    void exportsTheSelectedCategory_data()
    {
        QTest::addColumn<int>("categoryRow");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("Ctrl+T, uncategorised") << 0 << "Ctrl+T" << QByteArray("[Bez kategorii]\nluz\n");
        QTest::newRow("Ctrl+T, a stored category") << 1 << "Ctrl+T" << QByteArray("[A]\nx\ny&<z>\n");
        QTest::newRow("Ctrl+T, a category without links")
            << 2 << "Ctrl+T" << QByteArray::fromStdString("[" + Cp("Bądź") + "]\n");
        QTest::newRow("Ctrl+H, a stored category")
            << 1 << "Ctrl+H"
            << QByteArray("<p>[A]</p>\n<A href=\"x\">x</A> opis &lt;b&gt; &amp; &quot;c&quot; \xb3<br>\n"
                          "<A href=\"y&amp;&lt;z&gt;\">y&amp;&lt;z&gt;</A> <br>\n");
    }

    void exportsTheSelectedCategory()
    {
        QFETCH(int, categoryRow);
        QFETCH(QString, keys);
        QFETCH(QByteArray, expected);
        fx->AddLink(0, "luz");
        TForm1& form = fx->Start();
        QVERIFY(ShowAndWait(form));
        ChooseCategory(form, categoryRow);
        form.ListBox1->setFocus();
        const bool html = keys == "Ctrl+H";
        const std::string path = Out(html ? "one.html" : "one.txt");
        fx->boxes.Script(BoxAnswer::Path(Q(path)));
        QTest::keyClick(form.ListBox1, html ? Qt::Key_H : Qt::Key_T, Qt::ControlModifier);
        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(1));
        VerifySaveDialog(asked[0], html ? QStringLiteral("dovra.html") : QStringLiteral("dovra.txt"),
                         html ? kHtmlFilter : kTextFilter);
        const std::string body = expected.toStdString();
        QCOMPARE(Bytes(path), html ? Head(path) + body + kFoot : body);
    }

    void theSelectedCategoryNeedsAStoredOrUncategorisedRow_data()
    {
        QTest::addColumn<int>("categoryRow");
        QTest::newRow("Wszystkie") << 3;
        QTest::newRow("no row") << -1;
    }

    void theSelectedCategoryNeedsAStoredOrUncategorisedRow()
    {
        QFETCH(int, categoryRow);
        TForm1& form = fx->Start();
        ChooseCategory(form, categoryRow);
        if (categoryRow < 0)
            form.ListBox2->SetItemIndex(-1);
        // The items stay there and enabled; they do nothing at all.
        for (QAction* item : {form.Doplikutekstowego1, form.DoplikuHTML1, form.Doplikutekstowego2, form.DoplikuHTML2})
            QVERIFY(item->isVisible() && item->isEnabled());
        form.Doplikutekstowego2->trigger();
        form.DoplikuHTML2->trigger();
        QVERIFY(fx->boxes.TakeAsked().empty());
        QVERIFY(!form.Busy);
    }

    // ---- the save dialog and the overwrite question

    void theOverwriteQuestion_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("Yes replaces a longer file") << int(platform::IdYes);
        QTest::newRow("No asks again with the path chosen") << int(platform::IdNo);
        QTest::newRow("Cancel keeps the file") << int(platform::IdCancel);
    }

    void theOverwriteQuestion()
    {
        QFETCH(int, answer);
        const std::string old = Out("old.txt");
        const std::string oldBytes = std::string(5000, 'o') + "\n";
        WriteBytes(old, oldBytes);
        TForm1& form = fx->Start();
        fx->boxes.Script(BoxAnswer::Path(Q(old)));
        fx->boxes.Script(BoxAnswer::Button(answer));
        if (answer == platform::IdNo)
            fx->boxes.Script(BoxAnswer::Path(Q(Out("new.txt"))));
        form.Doplikutekstowego1->trigger();

        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(answer == platform::IdNo ? 3 : 2));
        VerifySaveDialog(asked[0], QStringLiteral("dovra.txt"), kTextFilter);
        VerifyMessage(asked[1], kOverwrite, QStringLiteral("Zapytanie"), 0x23);
        if (answer == platform::IdNo) {
            VerifySaveDialog(asked[2], Q(old), kTextFilter);
            QCOMPARE(Bytes(Out("new.txt")), WholeText());
        }
        QCOMPARE(Bytes(old), answer == platform::IdYes ? WholeText() : oldBytes);
        QVERIFY(!form.Busy);
    }

    void eachRunStartsWithTheDefaultName()
    {
        TForm1& form = fx->Start();
        fx->boxes.Script(BoxAnswer::Path(Q(Out("first.html"))));
        form.DoplikuHTML1->trigger();
        fx->boxes.Script(BoxAnswer::Cancel());
        form.Doplikutekstowego1->trigger();
        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(2));
        VerifySaveDialog(asked[1], QStringLiteral("dovra.txt"), kTextFilter);
    }

    // The save dialog starts in the home folder, then in the folder of the
    // file last chosen in it, for either kind of export; the open dialog of
    // the import keeps its own folder.
    void theSaveDialogStartsWhereAFileWasLastChosen()
    {
        TForm1& form = fx->Start();
        const QString home = Q(fx->Root() + "home");
        const std::string results = fx->Root() + "wyniki ż";
        QVERIFY(fs::create_directory(results));
        fx->boxes.Script(BoxAnswer::Cancel());
        form.DoplikuHTML1->trigger();
        fx->boxes.Script(BoxAnswer::Path(Q(results + "/all.txt")));
        form.Doplikutekstowego1->trigger();
        fx->boxes.Script(BoxAnswer::Cancel());
        form.DoplikuHTML1->trigger();
        fx->boxes.Script(BoxAnswer::Cancel());
        form.Dodajlinkizpliku1Click();
        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(4));
        QCOMPARE(asked[0].folder, home);
        QCOMPARE(asked[1].folder, home);
        QCOMPARE(asked[2].kind, BoxKind::SaveFile);
        QCOMPARE(asked[2].folder, Q(results));
        QCOMPARE(asked[3].kind, BoxKind::OpenFile);
        QCOMPARE(asked[3].folder, home);
        QCOMPARE(Bytes(results + "/all.txt"), WholeText());
    }

    void aCancelledDialogCreatesNothing()
    {
        TForm1& form = fx->Start();
        const auto before = std::distance(fs::directory_iterator(fx->Root()), fs::directory_iterator());
        for (QAction* item : {form.Doplikutekstowego1, form.DoplikuHTML1}) {
            fx->boxes.Script(BoxAnswer::Cancel());
            item->trigger();
        }
        QCOMPARE(fx->boxes.TakeAsked().size(), size_t(2));
        QCOMPARE(std::distance(fs::directory_iterator(fx->Root()), fs::directory_iterator()), before);
        QVERIFY(!fs::exists(fx->Root() + "dovra.txt") && !fs::exists(fx->Root() + "dovra.html"));
    }

    void aNameWithoutExtensionIsUsedAsTyped()
    {
        TForm1& form = fx->Start();
        fx->boxes.Script(BoxAnswer::Path(Q(Out("eksport"))));
        form.Doplikutekstowego1->trigger();
        fx->boxes.TakeAsked();
        QCOMPARE(Bytes(Out("eksport")), WholeText());
        QVERIFY(!fs::exists(Out("eksport.txt")));
    }

    // ---- the program's own files are never a target

    void refusesTheCatalogueAndTheSettingsFile_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("the catalogue") << "catalogue";
        QTest::newRow("a symbolic link to the catalogue") << "symlink";
        QTest::newRow("a hard link to the catalogue") << "hardlink";
        QTest::newRow("another spelling of the catalogue") << "spelling";
        QTest::newRow("the settings file") << "settings";
        QTest::newRow("the settings file not written yet") << "settings not yet";
    }

    void refusesTheCatalogueAndTheSettingsFile()
    {
        QFETCH(QString, how);
        const std::string catalogue = fx->SettingsFolder() + "dovra.db";
        if (how != "settings not yet")
            fx->WriteSettings("[Opcje]\r\nAktPoz=-1\r\n");
        TForm1& form = fx->Start();
        std::string target = catalogue;
        if (how == "symlink") {
            target = Out("link.txt");
            fs::create_symlink(catalogue, target);
        } else if (how == "hardlink") {
            target = Out("hard.txt");
            fs::create_hard_link(catalogue, target);
        } else if (how == "spelling") {
            target = fx->SettingsFolder() + "../Quomira//./dovra.db";
        } else if (how.startsWith("settings")) {
            target = fx->SettingsPath();
        }
        const std::string catalogueBytes = Bytes(catalogue);
        const std::string settingsBytes = fx->ReadSettingsFile();

        for (QAction* item : {form.Doplikutekstowego1, form.DoplikuHTML1}) {
            fx->boxes.Script(BoxAnswer::Path(Q(target)));
            fx->boxes.Script(BoxAnswer::Cancel());
            item->trigger();
            const auto asked = fx->boxes.TakeAsked();
            QCOMPARE(asked.size(), size_t(3));
            VerifyMessage(asked[1], kRefusal, QStringLiteral("Ostrzeżenie"), 0x30);
            QCOMPARE(asked[2].kind, BoxKind::SaveFile);
            QCOMPARE(asked[2].text, Q(target));  // asked again with the path chosen
        }
        QCOMPARE(Bytes(catalogue), catalogueBytes);
        QCOMPARE(fx->ReadSettingsFile(), settingsBytes);
        QCOMPARE(fs::exists(fx->SettingsPath()), how != "settings not yet");
        QCOMPARE(fx->Query("SELECT COUNT(*) FROM LINKS").front().front(), std::string("2"));
    }

    // ---- failures

    void aFileThatCannotBeCreatedIsTheCreationError()
    {
        TForm1& form = fx->Start();
        const std::string folder = Out("folder.txt");
        fs::create_directory(folder);  // not a file, so not asked about
        fx->boxes.Script(BoxAnswer::Path(Q(folder)));
        form.Doplikutekstowego1->trigger();
        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(2));
        QCOMPARE(asked[1].kind, BoxKind::ShowException);
        QCOMPARE(asked[1].text, QStringLiteral("Cannot create file \"%1\"").arg(Q(folder)));
        QVERIFY(fs::is_directory(folder));
        QVERIFY(!form.Busy);
    }

    void aFullDiskIsTheWriteErrorNotASuccess()
    {
        if (!fs::is_character_file("/dev/full"))
            QSKIP("no /dev/full");
        TForm1& form = fx->Start();
        for (QAction* item : {form.Doplikutekstowego1, form.DoplikuHTML1}) {
            fx->boxes.Script(BoxAnswer::Path(QStringLiteral("/dev/full")));
            item->trigger();
            const auto asked = fx->boxes.TakeAsked();
            QCOMPARE(asked.size(), size_t(2));
            QCOMPARE(asked[1].kind, BoxKind::ShowException);
            QCOMPARE(asked[1].text, QStringLiteral("Stream write error"));
            QVERIFY(!form.Busy);
        }
        // The store takes calls again after the failed export.
        fx->boxes.Script(BoxAnswer::Path(Q(Out("after.txt"))));
        form.Doplikutekstowego1->trigger();
        fx->boxes.TakeAsked();
        QCOMPARE(Bytes(Out("after.txt")), WholeText());
    }

    void aFailedExportLeavesTheOldFileAsItWas_data()
    {
        QTest::addColumn<bool>("html");
        QTest::addColumn<QString>("fault");
        QTest::newRow("text, the file system full part way") << false << "write";
        QTest::newRow("HTML, the file system full part way") << true << "write";
        QTest::newRow("text, the links cannot be read") << false << "read";
        QTest::newRow("HTML, the links cannot be read") << true << "read";
    }

    void aFailedExportLeavesTheOldFileAsItWas()
    {
        QFETCH(bool, html);
        QFETCH(QString, fault);
        fx->AddLinks(a, 3000, "strona-");  // a body larger than the file's buffer
        TForm1& form = fx->Start();
        if (fault == "read") {
            // The links of A cannot be read: SQLite answers "integer overflow".
            ExecOn(fx->SettingsFolder() + "dovra.db",
                   "ALTER TABLE LINKS RENAME TO L0;"
                   "CREATE VIEW LINKS AS SELECT ID, CAT_ID, POS, CASE WHEN CAT_ID=" +
                       std::to_string(a) + " THEN abs(-9223372036854775808) ELSE LINK END AS LINK, DESCR FROM L0;");
        }
        const std::string old = Out(html ? "dovra.html" : "dovra.txt");
        const std::string oldBytes = std::string(100000, 'o') + "\n";
        WriteBytes(old, oldBytes);
        const std::vector<std::string> names = FolderNames(fx->Root());
        fx->boxes.Script(BoxAnswer::Path(Q(old)));
        fx->boxes.Script(BoxAnswer::Button(platform::IdYes));
        {
            // The new file takes 4,096 bytes, then no more.
            const std::optional<FileSizeLimit> limit =
                fault == "write" ? std::make_optional<FileSizeLimit>(4096) : std::nullopt;
            QVERIFY(!limit || limit->Set());
            (html ? form.DoplikuHTML1 : form.Doplikutekstowego1)->trigger();
        }
        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(3));
        VerifyMessage(asked[1], kOverwrite, QStringLiteral("Zapytanie"), 0x23);
        if (fault == "write") {
            QCOMPARE(asked[2].kind, BoxKind::ShowException);
            QCOMPARE(asked[2].text, QStringLiteral("Stream write error"));
        } else {
            QCOMPARE(asked[2].kind, BoxKind::ShowMessage);
            QCOMPARE(asked[2].text, QStringLiteral("integer overflow"));
        }
        const std::string kept = Bytes(old);
        QCOMPARE(kept.size(), oldBytes.size());
        QVERIFY(kept == oldBytes);
        QCOMPARE(FolderNames(fx->Root()), names);  // no new file left beside it
        QVERIFY(!form.Busy);
    }

    void theFlagIsRaisedWhileTheDialogAndTheQuestionShow()
    {
        WriteBytes(Out("old.txt"), "old");
        BusyWatchingBoxes boxes;
        TForm1 form(boxes, fx->ExePath());
        boxes.form = &form;
        form.FormCreate();
        boxes.TakeAsked();
        boxes.busyWhenAsked.clear();
        boxes.Script(BoxAnswer::Path(Q(Out("old.txt"))));
        boxes.Script(BoxAnswer::Button(platform::IdYes));
        form.DoplikuHTML1->trigger();
        QCOMPARE(boxes.TakeAsked().size(), size_t(2));
        QCOMPARE(boxes.busyWhenAsked, (std::vector<bool>{true, true}));
        QVERIFY(!form.Busy);
        QVERIFY(boxes.TakeUnscripted().empty());
    }
};

QTEST_MAIN(ExportCommandsTest)
#include "ExportCommandsTest.moc"
