// The store facade: one call per catalogue operation. Each call opens its own
// connection to folder + "dovra.db", works, closes it on every path and
// answers with a result code. Calls never overlap: one entered while another
// runs (from the message pump of a long insert) is refused with DbOpenFailed.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "store/Db_sqlite.h"

enum DbResult {
    DbOk = 0,
    DbOpenFailed = 1,
    DbQueryFailed = 2,
    DbReopenFailed = 6,
    DbWriteFailed = 7,
};

using Lines = std::vector<std::string>;

// One command of the user, from the event that starts it to its end: while
// it is open, the store shows at most one message, and once it has shown
// one, the command's later calls neither wait for a lock nor say anything
// (the reload after a failed write, a second read). Commands nest: a command
// opened inside another (a dialog's button in the modal loop of the window's
// command) starts as one of its own, so each press says its failure; when it
// ends, a message it showed counts for the outer one too, which then goes on
// without saying it again.
class DbCommand {
public:
    DbCommand();
    ~DbCommand();
    DbCommand(const DbCommand&) = delete;
    DbCommand& operator=(const DbCommand&) = delete;

private:
    friend class DbCommandAccess;
    DbCommand* outer_;
    bool said_ = false;
};

// How long every connection of the facade waits for a lock that another
// program holds (SQLiteClass::kDefaultLockWaitMs unless set), in
// milliseconds.
void DbSetLockWait(int milliseconds);
int DbLockWait();

int DbInit(const std::string& dir);
int DbCheckVersion(const std::string& dir);
int DbSearchLinks(const std::string& dir, const std::string& text, Lines& out, int flags, int catId);
int DbImportLegacyFolder(const std::string& dir, const std::string& tempFolder, const std::string& runTempSubfolder);
int DbGetCategories(const std::string& dir, Lines& out);
int DbGetLinks(const std::string& dir, Lines& out, int catId);
int DbMoveLinks(const std::string& dir, const Lines& linkLines, int catId);
int DbAddLinks(const std::string& dir, const Lines& linkLines, int catId);
int DbDeleteLinks(const std::string& dir, const Lines& linkLines);
int DbDeleteCategories(const std::string& dir, const Lines& categoryLines);
int DbInsertLinks(const std::string& dir, const Lines& linkLines);
int DbUpdateLinks(const std::string& dir, const Lines& linkLines);
int DbUpdateCategories(const std::string& dir, const Lines& categoryLines);
int DbSaveCategoryOrder(const std::string& dir, const Lines& categoryLines);
int DbSaveLinkOrder(const std::string& dir, const Lines& linkLines);
int DbAddCategories(const std::string& dir, const Lines& categoryLines);
// The lines' categories after the last stored one, whatever their "<p>"
// (SQLiteClass::AppendCategoryPositions); ids by SQLite.
int DbAppendCategories(const std::string& dir, const Lines& categoryLines);
int DbSortLinksByName(const std::string& dir, int catId);
int DbExportText(const std::string& dir, std::ostream& out, int catId);
int DbExportHtml(const std::string& dir, std::ostream& out, int catId);

// How many facade calls have run so far that could change the stored links
// or categories: every call but DbGetCategories, DbGetLinks, DbSearchLinks,
// DbCheckVersion and the exports. Records read before stay what the store
// holds while this number stays the same.
unsigned long long DbChangingCalls();
