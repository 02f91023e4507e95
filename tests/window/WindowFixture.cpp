#include "tests/window/WindowFixture.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <QApplication>

#include "platform/Clipboard.h"
#include "platform/Convert.h"
#include "platform/Cp1250.h"
#include "platform/HandlerGuard.h"
#include "platform/QtText.h"
#include "store/Db_funcs.h"
#include "store/Funcs.h"
#include "tests/CatalogueFaults.h"
#include "window/widgets/LineListBox.h"

namespace fs = std::filesystem;

std::string Cp(const std::string& utf8)
{
    return platform::Utf8ToCp1250(utf8);
}

namespace {

// The offscreen platform has no tray and cannot raise a window; Qt says so
// each time the tray icon is shown or a window raised. Those messages are
// dropped, every other goes on to QtTest.
QtMessageHandler previousHandler = nullptr;

void DropTrayNoise(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains(QLatin1String("systemTrayWindowChanged")))
        return;
    if (message.contains(QLatin1String("does not support raise()")))
        return;  // a dialog brought to the front
    if (previousHandler)
        previousHandler(type, context, message);
}

}  // namespace

WindowFixture::WindowFixture()
{
    if (!previousHandler)
        previousHandler = qInstallMessageHandler(DropTrayNoise);
    QCoreApplication::setApplicationName(QStringLiteral("Quomira"));
    root_ = fs::canonical(dir_.path().toStdString()).string() + "/";
    for (const char* sub : {"home", "data", "data/Quomira", "tmp", "run", "bin"})
        fs::create_directories(root_ + sub);
    for (const auto& [name, sub] : {std::pair{"HOME", "home"}, std::pair{"XDG_DATA_HOME", "data"},
                                    std::pair{"TMPDIR", "tmp"}, std::pair{"XDG_RUNTIME_DIR", "run"}})
        env_.push_back(std::make_unique<EnvGuard>(name, root_ + sub));
    library_ = std::make_unique<TestLibrary>(root_ + "testlib/");
    DbSetLockWait(kTestLockWait);
    TestLibrary::Install(TestLibrary::ShippedUpdateLibraryPath(), ExeFolder(), "update.so");
}

// The window goes first, then the environment.
WindowFixture::~WindowFixture()
{
    form_.reset();
    DbSetLockWait(SQLiteClass::kDefaultLockWaitMs);
}

void WindowFixture::WriteSettings(const std::string& text) const
{
    std::ofstream(SettingsPath(), std::ios::binary) << text;
}

std::string WindowFixture::ReadSettingsFile() const
{
    std::ifstream in(SettingsPath(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

namespace {

// The fixture's own connection to a catalogue it builds: it neither syncs
// nor keeps a journal file (the program's connections do both).
class Builder {
public:
    explicit Builder(const std::string& path)
    {
        QVERIFY(sqlite3_open(path.c_str(), &db_) == SQLITE_OK);
        Run("PRAGMA synchronous=OFF; PRAGMA journal_mode=MEMORY;"
            "CREATE TABLE IF NOT EXISTS CATEGS(ID INTEGER PRIMARY KEY,POS INTEGER,NAME TEXT,DESCR TEXT);"
            "CREATE TABLE IF NOT EXISTS LINKS(ID INTEGER PRIMARY KEY,CAT_ID INTEGER,POS INTEGER,LINK TEXT,DESCR TEXT);"
            "CREATE TABLE IF NOT EXISTS DB_VER(ID INTEGER PRIMARY KEY,DB_VERSION INTEGER);");
    }
    ~Builder() { sqlite3_close(db_); }
    Builder(const Builder&) = delete;
    Builder& operator=(const Builder&) = delete;

    bool Run(const std::string& sql)
    {
        const bool done = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
        if (!done)
            qWarning("fixture SQL failed: %s", sqlite3_errmsg(db_));
        return done;
    }
    // The number the one-row query answers; -1 when it fails.
    int Number(const std::string& sql)
    {
        int number = -1;
        sqlite3_exec(
            db_, sql.c_str(),
            [](void* out, int, char** values, char**) {
                *static_cast<int*>(out) = values[0] ? std::atoi(values[0]) : 0;
                return 0;
            },
            &number, nullptr);
        return number;
    }
    int LastId() const { return static_cast<int>(sqlite3_last_insert_rowid(db_)); }

private:
    sqlite3* db_ = nullptr;
};

std::string Literal(const std::string& text)
{
    char* quoted = sqlite3_mprintf("%Q", text.c_str());
    std::string literal = quoted;
    sqlite3_free(quoted);
    return literal;
}

}  // namespace

// The rows the facade would write: each new record after its list's last.
int WindowFixture::AddCategory(const std::string& nameUtf8)
{
    Builder builder(SettingsFolder() + "dovra.db");
    const int pos = builder.Number("select count(*) from CATEGS") + 1;
    if (!builder.Run("insert into CATEGS (POS, NAME, DESCR) values(" + std::to_string(pos) + "," +
                     Literal(Cp(nameUtf8)) + ", '')"))
        return -1;
    return builder.LastId();
}

int WindowFixture::AddLink(int catId, const std::string& linkUtf8, const std::string& descrUtf8)
{
    Builder builder(SettingsFolder() + "dovra.db");
    const std::string cat = std::to_string(catId);
    const int pos = builder.Number("select count(*) from LINKS where CAT_ID=" + cat) + 1;
    if (!builder.Run("insert into LINKS (CAT_ID, POS, LINK, DESCR) values(" + cat + "," + std::to_string(pos) + "," +
                     Literal(Cp(linkUtf8)) + "," + Literal(Cp(descrUtf8)) + ")"))
        return -1;
    return builder.LastId();
}

void WindowFixture::AddLinks(int catId, int count, const std::string& prefix)
{
    Builder builder(SettingsFolder() + "dovra.db");
    std::string sql = "BEGIN;";
    for (int i = 1; i <= count; ++i) {
        const std::string n = std::to_string(i);
        sql += "insert into LINKS (CAT_ID, POS, LINK, DESCR) values(" + std::to_string(catId) + "," + n + "," +
            Literal("http://" + prefix + n + ".pl") + "," + Literal("Opis " + n) + ");";
    }
    builder.Run(sql + "COMMIT;");
}

std::unique_ptr<TForm1> WindowFixture::CreateForm()
{
    return std::make_unique<TForm1>(boxes, ExePath());
}

TForm1& WindowFixture::Start()
{
    form_ = CreateForm();
    platform::RunGuarded(boxes, [this] { form_->FormCreate(); });
    return *form_;
}

platform::RecordingOpener& WindowFixture::RecordOpens()
{
    auto opener = std::make_unique<platform::RecordingOpener>();
    platform::RecordingOpener& recording = *opener;
    form_->SetOpener(std::move(opener));
    return recording;
}

bool WindowFixture::WaitForABox()
{
    const bool shown = QTest::qWaitFor([this] { return !boxes.Asked().empty(); });
    QTest::qWait(200);
    return shown;
}

QString WindowFixture::BoxesLeftOver()
{
    QStringList problems;
    for (const platform::AskedBox& box : boxes.TakeUnscripted())
        problems << QStringLiteral("unscripted question: ") + box.Describe();
    for (const platform::AskedBox& box : boxes.TakeAsked())
        problems << QStringLiteral("box not checked by the test: ") + box.Describe();
    if (boxes.PendingAnswers() > 0)
        problems << QStringLiteral("%1 scripted answer(s) not used").arg(boxes.PendingAnswers());
    return problems.join(u'\n');
}

std::vector<std::string> ListLines(const LineListBox& box)
{
    std::vector<std::string> lines;
    for (int i = 0; i < box.Count(); ++i)
        lines.push_back(box.Item(i));
    return lines;
}

std::vector<int> SelectedRows(const LineListBox& box)
{
    std::vector<int> rows;
    for (int i = 0; i < box.Count(); ++i)
        if (box.Selected(i))
            rows.push_back(i);
    return rows;
}

std::vector<int> RowIds(const LineListBox& box)
{
    std::vector<int> ids;
    for (int i = 0; i < box.Count(); ++i)
        ids.push_back(StrToInt(GetTagValue(box.Item(i), "<i>")));
    return ids;
}

std::vector<std::string> FolderNames(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool ShowAndWait(TForm1& form)
{
    form.show();
    form.activateWindow();
    return QTest::qWaitForWindowExposed(&form) && QTest::qWaitForWindowActive(&form);
}

WindowFixture::Rows WindowFixture::Query(const std::string& sql) const
{
    return QueryIn(SettingsFolder(), sql);
}

WindowFixture::Rows WindowFixture::QueryIn(const std::string& folder, const std::string& sql) const
{
    Rows rows;
    sqlite3* db = nullptr;
    const std::string path = folder + "dovra.db";
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        QTest::qFail(qPrintable(QStringLiteral("cannot open ") + QString::fromStdString(path)), __FILE__, __LINE__);
        return rows;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, c));
                row.emplace_back(text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, c)))
                                      : std::string());
            }
            rows.push_back(std::move(row));
        }
    } else {
        QTest::qFail(sqlite3_errmsg(db), __FILE__, __LINE__);
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

void WindowFixture::MakeCatalogueReadOnly() const
{
    QVERIFY(cataloguefaults::MakeReadOnly(SettingsFolder() + "dovra.db"));
}

void ChooseCategory(TForm1& form, int row)
{
    form.ListBox2->clearSelection();
    form.ListBox2->SetItemIndex(row);
    if (row >= 0) {
        form.ListBox2->SetSelected(row, true);
        form.ListBox2Click();
    }
}

void SelectLinkRows(TForm1& form, const std::vector<int>& rows, int focus)
{
    form.ListBox1->SetItemIndex(focus);
    form.ListBox1->SetSelectedRows(rows);
}

std::string SystemClipboardText()
{
    return platform::FromQString(platform::SystemClipboard().Text());
}

void SetSystemClipboardText(const std::string& textCp1250)
{
    platform::SystemClipboard().SetText(platform::ToQString(textCp1250));
}
