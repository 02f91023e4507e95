#include "tests/store/TestSupport.h"

#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>

#include "store/Db_funcs.h"
#include "store/Db_sqlite.h"

namespace fs = std::filesystem;

namespace storetest {

TempFolder::TempFolder()
{
    std::string pattern = (fs::temp_directory_path() / "quomira-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed for " + pattern);
    path_ = pattern + "/";
}

TempFolder::~TempFolder()
{
    std::error_code ec;
    // Tests make files read-only; removal needs no permission on them, only on
    // the folders, which stay writable.
    fs::remove_all(path_, ec);
}

MessageCapture::MessageCapture()
{
    previous_ = platform::SetMessageHook([this](const std::string& text) { texts_.push_back(text); });
}

MessageCapture::~MessageCapture()
{
    platform::SetMessageHook(previous_);
}

PumpHookGuard::PumpHookGuard(platform::PumpHook hook) : previous_(platform::SetPumpHook(std::move(hook)))
{}

PumpHookGuard::~PumpHookGuard()
{
    platform::SetPumpHook(previous_);
}

namespace {

struct Connection {
    explicit Connection(const std::string& path)
    {
        if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
            std::string text = sqlite3_errmsg(db);
            sqlite3_close(db);
            throw std::runtime_error("test connection: " + text);
        }
    }
    ~Connection() { sqlite3_close(db); }
    sqlite3* db = nullptr;
};

int CollectRow(void* user, int columns, char** values, char**)
{
    auto* rows = static_cast<Rows*>(user);
    Row row;
    for (int i = 0; i < columns; ++i)
        row.push_back(values[i] ? values[i] : "NULL");
    rows->push_back(row);
    return 0;
}

}  // namespace

Rows Sql(const std::string& dbPath, const std::string& sql)
{
    Connection c(dbPath);
    // Best effort: with the catalogue locked these fail and change nothing.
    sqlite3_exec(c.db, "PRAGMA synchronous=OFF; PRAGMA journal_mode=MEMORY", nullptr, nullptr, nullptr);
    Rows rows;
    char* error = nullptr;
    if (sqlite3_exec(c.db, sql.c_str(), CollectRow, &rows, &error) != SQLITE_OK) {
        std::string text = error ? error : sqlite3_errmsg(c.db);
        sqlite3_free(error);
        throw std::runtime_error("test SQL failed: " + text + " in: " + sql);
    }
    return rows;
}

void ExecSql(const std::string& dbPath, const std::string& sql)
{
    Sql(dbPath, sql);
}

std::string Quote(const std::string& text)
{
    std::string out = "'";
    for (char ch : text) {
        out += ch;
        if (ch == '\'')
            out += '\'';
    }
    return out + "'";
}

void CreateSchema(const std::string& dbPath)
{
    ExecSql(dbPath,
            "CREATE TABLE IF NOT EXISTS CATEGS(ID INTEGER PRIMARY KEY,POS INTEGER,NAME TEXT,DESCR TEXT);"
            "CREATE TABLE IF NOT EXISTS LINKS(ID INTEGER PRIMARY KEY,CAT_ID INTEGER,POS INTEGER,LINK TEXT,DESCR TEXT);"
            "CREATE TABLE IF NOT EXISTS DB_VER(ID INTEGER PRIMARY KEY,DB_VERSION INTEGER);");
}

std::string Cp1250(std::string_view utf8)
{
    static const std::map<char32_t, char> polish = {
        {U'Ą', '\xA5'}, {U'Ć', '\xC6'}, {U'Ę', '\xCA'}, {U'Ł', '\xA3'}, {U'Ń', '\xD1'}, {U'Ó', '\xD3'},
        {U'Ś', '\x8C'}, {U'Ź', '\x8F'}, {U'Ż', '\xAF'}, {U'ą', '\xB9'}, {U'ć', '\xE6'}, {U'ę', '\xEA'},
        {U'ł', '\xB3'}, {U'ń', '\xF1'}, {U'ó', '\xF3'}, {U'ś', '\x9C'}, {U'ź', '\x9F'}, {U'ż', '\xBF'},
    };
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        if ((lead & 0xE0) != 0xC0 || i + 1 >= utf8.size())
            throw std::invalid_argument("Cp1250: unsupported character in test literal");
        char32_t cp = ((lead & 0x1F) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F);
        auto it = polish.find(cp);
        if (it == polish.end())
            throw std::invalid_argument("Cp1250: unsupported character in test literal");
        out += it->second;
        i += 2;
    }
    return out;
}

int OpenHandles(const std::string& path)
{
    std::error_code ec;
    fs::path target = fs::weakly_canonical(path, ec);
    int count = 0;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd", ec)) {
        std::error_code linkEc;
        fs::path points = fs::read_symlink(entry.path(), linkEc);
        if (!linkEc && points == target)
            ++count;
    }
    return count;
}

unsigned ChangeCounter(const std::string& dbPath)
{
    std::string bytes = ReadFile(dbPath);
    if (bytes.size() < 28)
        return 0;
    unsigned value = 0;
    for (int i = 24; i < 28; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return value;
}

bool CanWrite(const std::string& dbPath)
{
    Connection c(dbPath);
    if (sqlite3_exec(c.db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return false;
    sqlite3_exec(c.db, "ROLLBACK", nullptr, nullptr, nullptr);
    return true;
}

WriteLock::WriteLock(const std::string& dbPath, std::optional<std::chrono::milliseconds> releaseAfter,
                     std::string statements)
    : end_(statements.empty() ? "ROLLBACK" : "COMMIT")
{
    if (sqlite3_open(dbPath.c_str(), &db_) != SQLITE_OK ||
        sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_exec(db_, statements.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        const std::string text = sqlite3_errmsg(db_);
        sqlite3_close(db_);
        throw std::runtime_error("test lock: " + text);
    }
    if (releaseAfter)
        releaser_ = std::thread([this, wait = *releaseAfter] {
            std::this_thread::sleep_for(wait);
            Release();
        });
}

void WriteLock::Release()
{
    sqlite3_exec(db_, end_.c_str(), nullptr, nullptr, nullptr);
}

WriteLock::~WriteLock()
{
    if (releaser_.joinable())
        releaser_.join();
    else
        Release();
    sqlite3_close(db_);
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool PathExists(const std::string& path)
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

void MakeFiles(const std::string& folder, const std::vector<std::pair<std::string, std::string>>& files)
{
    fs::create_directories(folder);
    for (const auto& [name, bytes] : files)
        WriteFile(folder + name, bytes);
}

Rows Dump(const std::string& dbPath)
{
    return Sql(dbPath,
               "select 'C', ID, POS, NAME, DESCR, '' from CATEGS union all "
               "select 'L', ID, CAT_ID, POS, LINK, DESCR from LINKS union all "
               "select 'V', ID, DB_VERSION, '', '', '' from DB_VER order by 1, 2");
}

void StoreTest::SetUp()
{
    dir = tmp.path();
    db = dir + "dovra.db";
    CatItems.clear();
    LinkItems.clear();
    platform::SetPumpHook({});
    DbSetLockWait(kTestLockWaitMs);
}

void StoreTest::TearDown()
{
    DbSetLockWait(SQLiteClass::kDefaultLockWaitMs);
    platform::SetPumpHook({});
    CatItems.clear();
    LinkItems.clear();
}

void StoreTest::Seed(const std::string& sql) const
{
    CreateSchema(db);
    if (!sql.empty())
        X(sql);
}

}  // namespace storetest
