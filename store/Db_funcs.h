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
