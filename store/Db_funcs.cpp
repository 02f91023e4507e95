#include "store/Db_funcs.h"

namespace {

// Set while a facade call runs. The record buffers are shared and a long
// insert lets window events run, so a call that starts inside another would
// clear the buffers under it; such a call is refused.
bool storeCallRunning = false;

// The calls run so far that could change stored records.
unsigned long long changingCalls = 0;

// The lock wait of every connection.
int lockWait = SQLiteClass::kDefaultLockWaitMs;

}  // namespace

// The innermost open command, null outside any.
class DbCommandAccess {
public:
    static inline DbCommand* innermost = nullptr;

    // A connection of the running command: quiet and without a lock wait
    // once the command has shown a message.
    static void Prepare(SQLiteClass& db)
    {
        const bool said = innermost && innermost->said_;
        db.quiet = said;
        db.lockWaitMs = said ? 0 : lockWait;
    }
    static void Finish(const SQLiteClass& db)
    {
        if (innermost && db.Said())
            innermost->said_ = true;
    }
};

DbCommand::DbCommand() : outer_(DbCommandAccess::innermost)
{
    DbCommandAccess::innermost = this;
}

DbCommand::~DbCommand()
{
    DbCommandAccess::innermost = outer_;
    if (outer_ && said_)
        outer_->said_ = true;
}

void DbSetLockWait(int milliseconds)
{
    lockWait = milliseconds;
}

int DbLockWait()
{
    return lockWait;
}

namespace {

enum class Access { MayChange, ReadsOnly };

class RunningCall {
public:
    explicit RunningCall(Access access = Access::MayChange)
    {
        storeCallRunning = true;
        if (access == Access::MayChange)
            ++changingCalls;
    }
    ~RunningCall() { storeCallRunning = false; }
    RunningCall(const RunningCall&) = delete;
    RunningCall& operator=(const RunningCall&) = delete;
};

// The connection of one facade call: closed when the call ends, whichever
// way it ends, unless a failed query has closed it already. Its messages and
// lock wait are those of the running command.
class Connection {
public:
    explicit Connection(const std::string& dir) : db(dir + "dovra.db") { DbCommandAccess::Prepare(db); }
    ~Connection()
    {
        if (db.IsOpen())
            db.Close();
        DbCommandAccess::Finish(db);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    SQLiteClass db;
};

// The common course of a call: open, empty the buffers, the operation's own
// steps, empty the buffers, close. A step that fails ends the call with its
// code and leaves the buffers as they are.
template <typename Steps>
int Run(const std::string& dir, Steps steps, Access access = Access::MayChange)
{
    if (storeCallRunning)
        return DbOpenFailed;
    RunningCall running(access);
    Connection connection(dir);
    SQLiteClass& db = connection.db;
    if (db.Open() != 0)
        return DbOpenFailed;
    db.ClearBuffers();
    const int result = steps(db);
    if (result != DbOk)
        return result;
    db.ClearBuffers();
    return DbOk;
}

// The facade's code for a write that appends (SQLiteClass::InsertLinksAtEnd).
int AppendedResult(int result)
{
    return result == 0 ? DbOk : result == SQLiteClass::kReadFailed ? DbQueryFailed : DbWriteFailed;
}

using Write = int (SQLiteClass::*)();

// Parses the lines into the buffer, then runs one write over it.
int WriteLinkLines(const std::string& dir, const Lines& linkLines, Write write)
{
    return Run(dir, [&](SQLiteClass& db) -> int {
        db.ParseLinkLines(linkLines);
        return (db.*write)() == 0 ? DbOk : DbWriteFailed;
    });
}

int WriteCategoryLines(const std::string& dir, const Lines& categoryLines, Write write)
{
    return Run(dir, [&](SQLiteClass& db) -> int {
        db.ParseCategoryLines(categoryLines);
        return (db.*write)() == 0 ? DbOk : DbWriteFailed;
    });
}

}  // namespace

int DbInit(const std::string& dir)
{
    if (storeCallRunning)
        return DbOpenFailed;
    RunningCall running;
    Connection connection(dir);
    return connection.db.Open() == 0 ? DbOk : DbOpenFailed;
}

int DbCheckVersion(const std::string& dir)
{
    return Run(
        dir,
        [](SQLiteClass& db) -> int {
            if (db.GetDbVersion() != 0)
                return DbOpenFailed;
            if (db.dbVersion == 0 && db.SetDbVersion(1) != 0)
                return DbWriteFailed;
            return DbOk;
        },
        Access::ReadsOnly);
}

int DbSearchLinks(const std::string& dir, const std::string& text, Lines& out, int flags, int catId)
{
    return Run(
        dir,
        [&](SQLiteClass& db) -> int {
            if (db.SearchLinks(text, flags, catId) != 0 || db.GetCategories() != 0)
                return DbOpenFailed;
            db.LinksWithCategoryToLines(out);
            return DbOk;
        },
        Access::ReadsOnly);
}

int DbImportLegacyFolder(const std::string& dir, const std::string& tempFolder, const std::string& runTempSubfolder)
{
    if (storeCallRunning)
        return DbOpenFailed;
    RunningCall running;
    Connection connection(dir);
    SQLiteClass& db = connection.db;
    // The first open only makes sure the catalogue file and its tables exist.
    if (db.Open() != 0)
        return DbOpenFailed;
    db.Close();
    db.ClearBuffers();
    db.ImportLegacyFolder(tempFolder, runTempSubfolder);
    if (db.Open() != 0)
        return DbReopenFailed;
    if (db.InsertAll() != 0)
        return DbWriteFailed;
    db.ClearBuffers();
    return DbOk;
}

int DbGetCategories(const std::string& dir, Lines& out)
{
    return Run(
        dir,
        [&](SQLiteClass& db) -> int {
            if (db.GetCategories() != 0)
                return DbQueryFailed;
            db.CategoriesToLines(out);
            return DbOk;
        },
        Access::ReadsOnly);
}

int DbGetLinks(const std::string& dir, Lines& out, int catId)
{
    return Run(
        dir, [&](SQLiteClass& db) -> int { return db.GetLinkLines(catId, out) == 0 ? DbOk : DbQueryFailed; },
        Access::ReadsOnly);
}

int DbMoveLinks(const std::string& dir, const Lines& linkLines, int catId)
{
    return Run(dir, [&](SQLiteClass& db) -> int {
        db.ParseLinkLines(linkLines);
        return AppendedResult(db.MoveLinksToEnd(catId));
    });
}

int DbAddLinks(const std::string& dir, const Lines& linkLines, int catId)
{
    return Run(dir, [&](SQLiteClass& db) -> int {
        db.ParseLinkLines(linkLines);
        return AppendedResult(db.InsertLinksAtEnd(catId));
    });
}

int DbDeleteLinks(const std::string& dir, const Lines& linkLines)
{
    return WriteLinkLines(dir, linkLines, &SQLiteClass::DeleteLinks);
}

int DbDeleteCategories(const std::string& dir, const Lines& categoryLines)
{
    return WriteCategoryLines(dir, categoryLines, &SQLiteClass::DeleteCategories);
}

int DbInsertLinks(const std::string& dir, const Lines& linkLines)
{
    return WriteLinkLines(dir, linkLines, &SQLiteClass::InsertAll);
}

int DbUpdateLinks(const std::string& dir, const Lines& linkLines)
{
    return WriteLinkLines(dir, linkLines, &SQLiteClass::UpdateLinks);
}

int DbUpdateCategories(const std::string& dir, const Lines& categoryLines)
{
    return WriteCategoryLines(dir, categoryLines, &SQLiteClass::UpdateCategories);
}

int DbSaveCategoryOrder(const std::string& dir, const Lines& categoryLines)
{
    return Run(dir, [&](SQLiteClass& db) -> int {
        db.ParseCategoryLines(categoryLines);
        db.Renumber();
        return db.SaveCategoryPositions() == 0 ? DbOk : DbWriteFailed;
    });
}

int DbSaveLinkOrder(const std::string& dir, const Lines& linkLines)
{
    return WriteLinkLines(dir, linkLines, &SQLiteClass::SaveLinkCategories);
}

int DbAddCategories(const std::string& dir, const Lines& categoryLines)
{
    return WriteCategoryLines(dir, categoryLines, &SQLiteClass::InsertAll);
}

int DbAppendCategories(const std::string& dir, const Lines& categoryLines)
{
    return Run(dir, [&](SQLiteClass& db) -> int {
        db.ParseCategoryLines(categoryLines);
        return AppendedResult(db.InsertCategoriesAtEnd());
    });
}

int DbSortLinksByName(const std::string& dir, int catId)
{
    return Run(dir, [&](SQLiteClass& db) -> int {
        if (db.GetLinksByName(catId) != 0)
            return DbQueryFailed;
        db.Renumber();
        return db.SaveChangedLinkPositions() == 0 ? DbOk : DbWriteFailed;
    });
}

namespace {

template <typename Body>
int Export(const std::string& dir, int catId, Body body)
{
    return Run(
        dir,
        [&](SQLiteClass& db) -> int {
            if (catId == -1 || catId == 0)
                db.AddUncategorised();
            if (db.GetCategories() != 0)
                return DbQueryFailed;
            return body(db) == 0 ? DbOk : DbQueryFailed;
        },
        Access::ReadsOnly);
}

}  // namespace

int DbExportText(const std::string& dir, std::ostream& out, int catId)
{
    return Export(dir, catId, [&](SQLiteClass& db) -> int { return db.ExportText(out, catId); });
}

int DbExportHtml(const std::string& dir, std::ostream& out, int catId)
{
    return Export(dir, catId, [&](SQLiteClass& db) -> int { return db.ExportHtml(out, catId); });
}

unsigned long long DbChangingCalls()
{
    return changingCalls;
}
