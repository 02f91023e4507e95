#include "store/Db_sqlite.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <iterator>
#include <new>
#include <unordered_map>

#include "platform/Convert.h"
#include "platform/Cp1250.h"
#include "platform/Messages.h"
#include "store/Funcs.h"
#include "store/Like.h"

std::vector<CatItem> CatItems;
std::vector<LinkItem> LinkItems;

CatItem::CatItem(int id_, int pos_, std::string name_, std::string descr_)
    : id(id_), pos(pos_), name(std::move(name_)), descr(std::move(descr_))
{}

LinkItem::LinkItem(int id_, int catId_, int pos_, std::string link_, std::string descr_)
    : id(id_), catId(catId_), pos(pos_), link(std::move(link_)), descr(std::move(descr_))
{}

namespace {

// An integer column; NULL, empty or not a whole number reads as 0.
int IntColumn(const char* value)
{
    if (!value)
        return 0;
    // Integer columns come as plain decimal digits; anything else takes the
    // general conversion.
    long long fast = 0;
    const char* p = value;
    const bool negative = *p == '-';
    if (negative)
        ++p;
    const char* digits = p;
    while (*p >= '0' && *p <= '9' && p - digits < 10)
        fast = fast * 10 + (*p++ - '0');
    if (*p == '\0' && p != digits && p - digits < 10)
        return static_cast<int>(negative ? -fast : fast);
    try {
        return StrToInt(value);
    } catch (const EConvertError&) {
        return 0;
    }
}

std::string TextColumn(const char* value)
{
    return value ? value : "";
}

// Column i of a row, or NULL where the row is shorter (a table made by
// something else may lack columns: they read as NULL).
const char* Column(int columns, char** values, int i)
{
    return i < columns ? values[i] : nullptr;
}

}  // namespace

int CategoryRowCallback(void*, int columns, char** values, char**)
{
    const auto column = [&](int i) { return Column(columns, values, i); };
    try {
        CatItems.emplace_back(IntColumn(column(0)), IntColumn(column(1)), TextColumn(column(2)), TextColumn(column(3)));
    } catch (...) {
        return 1;  // out of memory: no exception may cross SQLite's frames
    }
    return 0;
}

int LinkRowCallback(void*, int columns, char** values, char**)
{
    const auto column = [&](int i) { return Column(columns, values, i); };
    try {
        LinkItems.emplace_back(IntColumn(column(0)), IntColumn(column(1)), IntColumn(column(2)), TextColumn(column(3)),
                               TextColumn(column(4)));
    } catch (...) {
        return 1;
    }
    return 0;
}

namespace {

// An integer column of a statement's row as IntColumn reads its text: a
// stored integer that IntColumn reads as it is taken without its text.
int IntAt(sqlite3_stmt* row, int columns, int i)
{
    if (i >= columns)
        return 0;
    if (sqlite3_column_type(row, i) == SQLITE_INTEGER) {
        const sqlite3_int64 value = sqlite3_column_int64(row, i);
        if (value > -1000000000 && value < 1000000000)
            return static_cast<int>(value);
    }
    return IntColumn(reinterpret_cast<const char*>(sqlite3_column_text(row, i)));
}

// A text column of a statement's row as the row callbacks read it.
std::string_view TextAt(sqlite3_stmt* row, int columns, int i)
{
    const unsigned char* text = i < columns ? sqlite3_column_text(row, i) : nullptr;
    return text ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view("");
}

// The lines of a links query read from its statement, the numbers without
// turning them into text and back; on failure false, with SQLite's message.
bool ReadLinkLines(sqlite3* db, const std::string& sql, std::vector<std::string>& lines, std::string& error)
{
    sqlite3_stmt* row = nullptr;
    int step = sqlite3_prepare_v2(db, sql.c_str(), -1, &row, nullptr);
    const int columns = sqlite3_column_count(row);
    try {
        while (step == SQLITE_OK && (step = sqlite3_step(row)) == SQLITE_ROW) {
            lines.push_back(LinkLine(IntAt(row, columns, 0), IntAt(row, columns, 1), IntAt(row, columns, 2),
                                     TextAt(row, columns, 3), TextAt(row, columns, 4)));
            step = SQLITE_OK;
        }
    } catch (...) {
        step = SQLITE_NOMEM;
    }
    if (step != SQLITE_DONE)
        error = step == SQLITE_NOMEM ? sqlite3_errstr(SQLITE_NOMEM) : sqlite3_errmsg(db);
    sqlite3_finalize(row);
    return step == SQLITE_DONE;
}

// A largest position as stored: NULL (no record) as 0; a whole number within
// int as it is; anything else (beyond 32 bits, a fraction, a text: a file
// written by something else) as INT_MAX, which leaves no room after it, so
// that the records are numbered again before new ones follow.
int LargestPosition(const char* value)
{
    if (!value)
        return 0;
    char* end = nullptr;
    errno = 0;
    const long long number = std::strtoll(value, &end, 10);
    if (end == value || *end != '\0' || errno == ERANGE || number < INT_MIN || number > INT_MAX)
        return INT_MAX;
    return static_cast<int>(number);
}

// The record of a largest-position query: its three integer fields the
// position (LargestPosition), its texts the stored value.
int MaxPositionRowCallback(void*, int columns, char** values, char**)
{
    const auto column = [&](int i) { return Column(columns, values, i); };
    try {
        const int largest = LargestPosition(column(0));
        LinkItems.emplace_back(largest, largest, largest, TextColumn(column(3)), TextColumn(column(4)));
    } catch (...) {
        return 1;
    }
    return 0;
}

// Reads the first column of a one-row result into the int that arg points
// to as LargestPosition gives it.
int LargestPositionRowCallback(void* largest, int columns, char** values, char**)
{
    if (columns > 0)
        *static_cast<int*>(largest) = LargestPosition(values[0]);
    return 0;
}

// Reads the first column of a one-row result as a number into the long long
// that arg points to; NULL leaves it as it is.
int NumberRowCallback(void* number, int columns, char** values, char**)
{
    if (columns > 0 && values[0])
        *static_cast<long long*>(number) = std::atoll(values[0]);
    return 0;
}

// Numbers the records of table that filter picks 0, 1, 2, ... in the order
// they are shown (by position, equal positions by id).
std::string RenumberSql(const std::string& table, const std::string& filter)
{
    return "update " + table + " set POS=r.n from (select ID, row_number() over (order by POS, ID) - 1 as n from " +
        table + filter + ") as r where " + table + ".ID=r.ID";
}

std::string CategoryFilter(int catId)
{
    return " where CAT_ID=" + IntToStr(catId);
}

// A connection keeps the pages it reads in memory between its reads (a large
// cache); nothing in the file changes.
const char* const kLargeCache = "PRAGMA cache_size=-65536";

// At least the number of stored links when ids run from 1 without large
// gaps, as they do when the store gives them: room for the lines of a read
// reserved at once, instead of the vector of lines growing step by step
// and touching new memory at each step. Room never touched costs no memory.
// 0 when the table cannot be read; nothing is reported.
std::size_t LinkCountBound(sqlite3* db)
{
    constexpr long long kMost = 1LL << 22;  // beyond, the vector grows as it goes
    long long bound = 0;
    sqlite3_exec(db, "select max(ID) from LINKS", NumberRowCallback, &bound, nullptr);
    return static_cast<std::size_t>(std::clamp(bound, 0LL, kMost));
}

std::string LinksByPositionSql(int catId)
{
    return catId >= 0 ? "select * from LINKS where CAT_ID=" + IntToStr(catId) + " order by POS"
                      : std::string("select * from LINKS order by POS");
}

}  // namespace

// ---- connection and schema ----

SQLiteClass::SQLiteClass(std::string fileName_) : fileName(std::move(fileName_))
{}

SQLiteClass::~SQLiteClass() = default;

// A catalogue that cannot be opened is never silent: SQLite's message names
// the cause, the path says which file (the archive folder may be wrong).
int SQLiteClass::Open()
{
    if (sqlite3_open(fileName.c_str(), &db) != SQLITE_OK) {
        ShowOpenError(db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close(db);
        db = nullptr;
        return 1;
    }
    sqlite3_busy_timeout(db, lockWaitMs);
    if (RegisterLike(db, &likeIgnoresCase) != SQLITE_OK || CreateTablesQuietly() != 0) {
        ShowOpenError(sqlite3_errmsg(db));
        sqlite3_close(db);
        db = nullptr;
        return 1;
    }
    sqlite3_exec(db, kLargeCache, nullptr, nullptr, nullptr);
    return 0;
}

int SQLiteClass::Close()
{
    sqlite3_close(db);
    db = nullptr;
    return 0;
}

void SQLiteClass::Say(const std::string& text)
{
    said_ = true;
    if (!quiet)
        platform::ShowMessage(text);
}

int SQLiteClass::ShowError()
{
    Say(db ? sqlite3_errmsg(db) : sqlite3_errstr(SQLITE_MISUSE));
    return 1;
}

void SQLiteClass::ShowOpenError(const char* error)
{
    Say(std::string(error) + "\n" + platform::Utf8ToCp1250(fileName));
}

int SQLiteClass::Exec(const char* sql)
{
    if (!db)
        return ShowError();  // closed by a failed read: never used again
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) == SQLITE_OK)
        return 0;
    ShowError();
    sqlite3_free(error);
    return 1;
}

int SQLiteClass::Query(const char* sql, int (*callback)(void*, int, char**, char**), void* arg)
{
    if (!db)
        return ShowError();
    char* error = nullptr;
    if (sqlite3_exec(db, sql, callback, arg, &error) == SQLITE_OK)
        return 0;
    const std::string text = error ? error : sqlite3_errmsg(db);
    sqlite3_free(error);
    return ReadFailed(text);
}

int SQLiteClass::ReadFailed(const std::string& text)
{
    if (writing_) {
        // A read inside a write: the write rolls back and shows the message.
        // SQLite may have rolled back already (an I/O error); the connection
        // stays open for the write to finish on.
        writeError = text;
        return 1;
    }
    Say(text);
    Close();
    return 1;
}

int SQLiteClass::QueryCategories(const char* sql)
{
    return Query(sql, CategoryRowCallback);
}

int SQLiteClass::QueryLinks(const char* sql)
{
    return Query(sql, LinkRowCallback);
}

namespace {

const char* const kTables[] = {
    "CREATE TABLE IF NOT EXISTS CATEGS(ID INTEGER PRIMARY KEY,POS INTEGER,NAME TEXT,DESCR TEXT);",
    "CREATE TABLE IF NOT EXISTS LINKS(ID INTEGER PRIMARY KEY,CAT_ID INTEGER,POS INTEGER,LINK TEXT,DESCR TEXT);",
    "CREATE TABLE IF NOT EXISTS DB_VER(ID INTEGER PRIMARY KEY,DB_VERSION INTEGER);",
};

}  // namespace

int SQLiteClass::CreateTables()
{
    for (const char* sql : kTables)
        if (Exec(sql) != 0)
            return 1;
    return 0;
}

// The same statements, leaving the message to the caller.
int SQLiteClass::CreateTablesQuietly()
{
    for (const char* sql : kTables)
        if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            return 1;
    return 0;
}

int SQLiteClass::GetDbVersion()
{
    if (QueryCategories("select DB_VERSION, DB_VERSION, DB_VERSION, DB_VERSION from DB_VER where ID=1") != 0)
        return 1;
    // No row at all is a catalogue of the first (and only) version.
    dbVersion = CatItems.empty() ? 1 : CatItems.front().id;
    return 0;
}

int SQLiteClass::SetDbVersion(int version)
{
    return Write([&] { return Step("insert or replace into DB_VER values(1," + IntToStr(version) + ");"); });
}

// ---- buffers and lines ----

void SQLiteClass::ClearBuffers()
{
    std::vector<CatItem>().swap(CatItems);
    std::vector<LinkItem>().swap(LinkItems);
}

void SQLiteClass::ParseCategoryLines(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines) {
        const int pos = StrToInt(GetTagValue(line, "<p>"));
        const int id = StrToInt(GetTagValue(line, "<i>"));
        CatItems.emplace_back(id, pos, GetTagValue(line, "<n>"), GetTagValue(line, "<d>"));
    }
}

void SQLiteClass::ParseLinkLines(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines) {
        const int pos = StrToInt(GetTagValue(line, "<p>"));
        const int catId = StrToInt(GetTagValue(line, "<c>"));
        const int id = StrToInt(GetTagValue(line, "<i>"));
        LinkItems.emplace_back(id, catId, pos, GetTagValue(line, "<l>"), GetTagValue(line, "<d>"));
    }
}

void SQLiteClass::CategoriesToLines(std::vector<std::string>& out)
{
    out.reserve(out.size() + CatItems.size());
    for (const CatItem& c : CatItems)
        out.push_back(CategoryLine(c.id, c.pos, c.name, c.descr));
}

void SQLiteClass::LinksToLines(std::vector<std::string>& out)
{
    out.reserve(out.size() + LinkItems.size());
    for (const LinkItem& l : LinkItems)
        out.push_back(LinkLine(l.id, l.catId, l.pos, l.link, l.descr));
}

void SQLiteClass::LinksWithCategoryToLines(std::vector<std::string>& out)
{
    // The first category record of each id gives the prefix.
    std::unordered_map<int, const CatItem*> categories;
    for (const CatItem& c : CatItems)
        categories.emplace(c.id, &c);
    out.reserve(out.size() + LinkItems.size());
    for (const LinkItem& l : LinkItems) {
        std::string line;
        const auto found = categories.find(l.catId);
        if (found != categories.end())
            line = "<j>" + IntToStr(found->second->id) + "</j><k>" + EscapeTagValue(found->second->name) + "</k>";
        line += LinkLine(l.id, l.catId, l.pos, l.link, l.descr);
        out.push_back(std::move(line));
    }
}

void SQLiteClass::AddUncategorised()
{
    CatItems.emplace_back(0, 0, "Bez kategorii", "Bez kategorii");
}

void SQLiteClass::Renumber()
{
    linkOldPos.clear();
    int k = 0;
    for (LinkItem& l : LinkItems) {
        linkOldPos[l.id] = l.pos;
        l.pos = k++;
    }
    catOldPos.clear();
    k = 0;
    for (CatItem& c : CatItems) {
        catOldPos[c.id] = c.pos;
        c.pos = k++;
    }
}

int SQLiteClass::LastBeforeAppended(long long& last, long long count, const std::string& table,
                                    const std::string& filter)
{
    if (last + count <= INT_MAX)
        return 0;
    // No room after the last record: the list is numbered again from 0 first,
    // and the new records follow.
    long long records = 0;
    const std::string sql = "select count(*) from " + table + filter;
    if (Query(sql.c_str(), NumberRowCallback, &records) != 0)
        return kReadFailed;
    if (records + count > static_cast<long long>(INT_MAX) + 1) {
        writeError = sqlite3_errstr(SQLITE_FULL);  // more records than positions
        return kReadFailed;
    }
    if (!Step(RenumberSql(table, filter)))
        return 1;
    last = records - 1;
    return 0;
}

int SQLiteClass::AppendPositions(int catId)
{
    if (LinkItems.empty())
        return 0;
    long long pos = LinkItems.back().pos;
    LinkItems.pop_back();
    const auto count = static_cast<long long>(LinkItems.size());
    if (const int result = LastBeforeAppended(pos, count, "LINKS", CategoryFilter(catId)); result != 0)
        return result;
    for (LinkItem& l : LinkItems) {
        l.catId = catId;
        l.pos = static_cast<int>(++pos);
    }
    return 0;
}

int SQLiteClass::AppendCategoryPositions()
{
    if (CatItems.empty())
        return 0;
    int largest = 0;
    if (Query("select max(POS) from CATEGS", LargestPositionRowCallback, &largest) != 0)
        return kReadFailed;
    long long pos = std::max(largest, 0);
    const auto count = static_cast<long long>(CatItems.size());
    if (const int result = LastBeforeAppended(pos, count, "CATEGS", ""); result != 0)
        return result;
    for (CatItem& c : CatItems)
        c.pos = static_cast<int>(++pos);
    return 0;
}

// ---- reads ----

int SQLiteClass::GetCategories()
{
    return QueryCategories("select * from CATEGS order by POS");
}

int SQLiteClass::GetLinks(int catId)
{
    return QueryLinks(LinksByPositionSql(catId).c_str());
}

// SQLite sorts in memory up to the page cache's size. With the large cache,
// the whole catalogue is sorted in one run, three times slower than SQLite's
// default of small runs merged, and the cache fills with pages read once.
void SQLiteClass::SortInSmallRuns(bool small)
{
    sqlite3_exec(db, small ? "PRAGMA cache_size=-2000" : kLargeCache, nullptr, nullptr, nullptr);
}

int SQLiteClass::GetLinkLines(int catId, std::vector<std::string>& out)
{
    if (!db)
        return ShowError();
    SortInSmallRuns(true);
    std::vector<std::string> lines;
    try {
        lines.reserve(LinkCountBound(db));
    } catch (const std::bad_alloc&) {
        // no room reserved: the lines take it as they come
    }
    std::string error;
    if (!ReadLinkLines(db, LinksByPositionSql(catId), lines, error))
        return ReadFailed(error);
    SortInSmallRuns(false);
    if (out.empty())
        out = std::move(lines);
    else
        out.insert(out.end(), std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
    return 0;
}

int SQLiteClass::GetLinksByName(int catId)
{
    const std::string sql = catId >= 0
        ? "select * from LINKS where CAT_ID=" + IntToStr(catId) + " order by LINK collate nocase"
        : std::string("select * from LINKS order by LINK collate nocase");
    return QueryLinks(sql.c_str());
}

int SQLiteClass::GetMaxLinkPos(int catId)
{
    if (catId < 0)
        return 1;
    const std::string sql =
        "select max(POS), max(POS), max(POS), max(POS), max(POS) from LINKS where CAT_ID=" + IntToStr(catId);
    return Query(sql.c_str(), MaxPositionRowCallback);
}

int SQLiteClass::SearchLinks(const std::string& text, int flags, int catId)
{
    const std::string pattern = "%" + text + "%";
    // The connection's LIKE compares program text byte by byte; the flag
    // decides whether case counts (the collation named in the statement is
    // SQLite's and means nothing to it).
    likeIgnoresCase = (flags & SearchFlagNoCase) != 0;
    const auto search = [&](const char* column) {
        std::string format = catId == -1
            ? std::string("select * from LINKS where ") + column + " like '%q'"
            : "select * from LINKS where CAT_ID=" + IntToStr(catId) + " and " + column + " like '%q'";
        if (flags & SearchFlagNoCase)
            format += " collate nocase";
        char* sql = sqlite3_mprintf(format.c_str(), pattern.c_str());
        if (!sql)
            return 1;
        const int result = QueryLinks(sql);
        sqlite3_free(sql);
        return result;
    };
    if ((flags & SearchFlagLinks) && search("LINK") != 0)
        return 1;
    if ((flags & SearchFlagDescriptions) && search("DESCR") != 0)
        return 1;
    return 0;
}

// ---- writes ----
//
// Each write runs as one transaction, through Write: a crash in the middle
// leaves the file as it was, thousands of rows cost one commit, and a write
// that fails anywhere changes nothing and is reported once.

int SQLiteClass::Write(const std::function<bool()>& statements)
{
    struct Writing {
        explicit Writing(bool& flag) : flag(flag) { flag = true; }
        ~Writing() { flag = false; }
        bool& flag;
    };
    bool done = false;
    {
        const Writing writing(writing_);
        // The write lock is taken at the start, so that a lock held by another
        // program is waited for (the busy timeout) before anything runs.
        done = Step("BEGIN IMMEDIATE") && statements() && Step("COMMIT");
    }
    if (done)
        return 0;
    // SQLite may have rolled the transaction back itself (a full disk, an I/O
    // error); otherwise the statements that ran go back here.
    if (db && !sqlite3_get_autocommit(db))
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    Say(writeError);
    return 1;
}

template <class Items, class Statement>
int SQLiteClass::WriteEach(const Items& items, Statement statement)
{
    if (items.empty())
        return 0;
    return Write([&] { return std::all_of(items.begin(), items.end(), statement); });
}

bool SQLiteClass::Step(const std::string& sql)
{
    if (!db) {
        writeError = sqlite3_errstr(SQLITE_MISUSE);
        return false;
    }
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) == SQLITE_OK)
        return true;
    writeError = error ? error : sqlite3_errmsg(db);
    sqlite3_free(error);
    return false;
}

bool SQLiteClass::StepFormatted(const std::string& format, const std::string& a, const std::string& b)
{
    char* sql = sqlite3_mprintf(format.c_str(), a.c_str(), b.c_str());
    if (!sql) {
        writeError = "out of memory";
        return false;
    }
    const bool done = Step(sql);
    sqlite3_free(sql);
    return done;
}

int SQLiteClass::InsertAll()
{
    if (CatItems.empty() && LinkItems.empty())
        return 0;
    return Write([this] { return StepInserts(); });
}

bool SQLiteClass::StepInserts()
{
    // A link inserted together with categories names its category by the id
    // the category carries in this batch (the legacy import numbers them 1..N);
    // it is stored with the id SQLite actually gave that category.
    std::unordered_map<int, int> storedIds;
    const auto category = [&](const CatItem& c) {
        const std::string format = "insert into CATEGS (POS, NAME, DESCR) values(" + IntToStr(c.pos) + ",'%q', '%q')";
        if (!StepFormatted(format, c.name, c.descr))
            return false;
        if (c.id > 0)
            storedIds[c.id] = static_cast<int>(sqlite3_last_insert_rowid(db));
        platform::ProcessMessages();
        return true;
    };
    const auto link = [&](const LinkItem& l) {
        const auto stored = storedIds.find(l.catId);
        const int catId = stored != storedIds.end() ? stored->second : l.catId;
        const std::string format = "insert into LINKS (CAT_ID, POS, LINK, DESCR) values(" + IntToStr(catId) + "," +
            IntToStr(l.pos) + ",'%q', '%q')";
        if (!StepFormatted(format, l.link, l.descr))
            return false;
        platform::ProcessMessages();
        return true;
    };
    return std::all_of(CatItems.begin(), CatItems.end(), category) &&
        std::all_of(LinkItems.begin(), LinkItems.end(), link);
}

int SQLiteClass::UpdateLinks()
{
    return WriteEach(LinkItems, [this](const LinkItem& l) {
        return StepFormatted("update LINKS set LINK='%q', DESCR='%q' where ID=" + IntToStr(l.id), l.link, l.descr);
    });
}

int SQLiteClass::UpdateCategories()
{
    return WriteEach(CatItems, [this](const CatItem& c) {
        return StepFormatted("update CATEGS set NAME='%q', DESCR='%q' where ID=" + IntToStr(c.id), c.name, c.descr);
    });
}

int SQLiteClass::SaveCategoryPositions()
{
    return WriteEach(CatItems, [this](const CatItem& c) {
        return Step("update CATEGS set POS=" + IntToStr(c.pos) + " where ID=" + IntToStr(c.id));
    });
}

int SQLiteClass::DeleteCategories()
{
    return WriteEach(CatItems, [this](const CatItem& c) {
        const std::string id = IntToStr(c.id);
        return Step("DELETE FROM CATEGS where ID=" + id) && Step("DELETE FROM LINKS where CAT_ID=" + id);
    });
}

int SQLiteClass::DeleteLinks()
{
    return WriteEach(LinkItems,
                     [this](const LinkItem& l) { return Step("DELETE FROM LINKS where ID=" + IntToStr(l.id)); });
}

// The two position writes send all their statements as one text.
int SQLiteClass::SaveLinkCategories()
{
    return LinkItems.empty() ? 0 : Write([this] { return StepLinkCategories(); });
}

bool SQLiteClass::StepLinkCategories()
{
    std::string text;
    for (const LinkItem& l : LinkItems)
        text += "update LINKS set CAT_ID=" + IntToStr(l.catId) + ", POS=" + IntToStr(l.pos) +
            " where ID=" + IntToStr(l.id) + ";\n";
    return Step(text);
}

// ---- writes that append ----
//
// The positions are read and given inside the write's transaction: another
// program's records, added while the write waited for the lock, are counted.

int SQLiteClass::WriteAppended(const std::function<int()>& place, const std::function<bool()>& statements)
{
    int placed = 0;
    const int written = Write([&] {
        placed = place();
        return placed == 0 && statements();
    });
    return written == 0 ? 0 : placed == kReadFailed ? kReadFailed : 1;
}

int SQLiteClass::InsertLinksAtEnd(int catId)
{
    if (catId < 0)
        return kReadFailed;  // no category: nothing is read (GetMaxLinkPos)
    if (LinkItems.empty())
        return 0;
    return WriteAppended([&] { return PlaceLinks(catId); }, [this] { return StepInserts(); });
}

int SQLiteClass::MoveLinksToEnd(int catId)
{
    if (catId < 0)
        return kReadFailed;
    if (LinkItems.empty())
        return 0;
    return WriteAppended([&] { return PlaceLinks(catId); }, [this] { return StepLinkCategories(); });
}

int SQLiteClass::InsertCategoriesAtEnd()
{
    if (CatItems.empty())
        return 0;
    return WriteAppended([this] { return AppendCategoryPositions(); }, [this] { return StepInserts(); });
}

int SQLiteClass::PlaceLinks(int catId)
{
    return GetMaxLinkPos(catId) == 0 ? AppendPositions(catId) : kReadFailed;
}

int SQLiteClass::SaveChangedLinkPositions()
{
    std::string text;
    for (const LinkItem& l : LinkItems) {
        const int old = linkOldPos[l.id];
        if (old != l.pos)
            text += "update LINKS set POS=" + IntToStr(l.pos) + " where ID=" + IntToStr(l.id) + ";\n";
    }
    return text.empty() ? 0 : Write([&] { return Step(text); });
}
