// The catalogue database: records, the two record buffers, and SQLiteClass,
// one connection for one store operation.
#pragma once

#include <map>
#include <ostream>
#include <string>
#include <vector>

struct sqlite3;

struct CatItem {
    CatItem(int id, int pos, std::string name, std::string descr);
    int id;
    int pos;
    std::string name;
    std::string descr;
};

struct LinkItem {
    LinkItem(int id, int catId, int pos, std::string link, std::string descr);
    int id;
    int catId;
    int pos;
    std::string link;
    std::string descr;
};

// The record buffers that one store operation at a time fills and reads.
extern std::vector<CatItem> CatItems;
extern std::vector<LinkItem> LinkItems;

// Row callbacks for sqlite3_exec: integer columns that are NULL or no whole
// number read as 0, NULL texts as "".
int CategoryRowCallback(void* unused, int columns, char** values, char** names);
int LinkRowCallback(void* unused, int columns, char** values, char** names);

// Text put into an HTML page as text or as an attribute value: "&", "<",
// ">" and the double quote as entities, every other byte as it is.
std::string HtmlEscape(const std::string& text);

// Search flags, combined by OR.
enum SearchFlags { SearchFlagLinks = 1, SearchFlagDescriptions = 2, SearchFlagNoCase = 4 };

class SQLiteClass {
public:
    explicit SQLiteClass(std::string fileName);
    ~SQLiteClass();
    SQLiteClass(const SQLiteClass&) = delete;
    SQLiteClass& operator=(const SQLiteClass&) = delete;

    // Connection and schema. Open: 0 open with the tables made, 1 failed (closed).
    int Open();
    int Close();
    bool IsOpen() const { return db != nullptr; }
    int Exec(const char* sql);
    int QueryCategories(const char* sql);
    int QueryLinks(const char* sql);
    int CreateTables();
    int GetDbVersion();
    int SetDbVersion(int version);

    // Buffers and lines.
    void ClearBuffers();
    void ParseCategoryLines(const std::vector<std::string>& lines);
    void ParseLinkLines(const std::vector<std::string>& lines);
    void CategoriesToLines(std::vector<std::string>& out);
    void LinksToLines(std::vector<std::string>& out);
    void LinksWithCategoryToLines(std::vector<std::string>& out);
    void AddUncategorised();
    void Renumber();
    int AppendPositions(int catId);

    // Reads.
    int GetCategories();
    int GetLinks(int catId);
    // The links of category catId (-1: every link) in position order, read
    // straight into lines as GetLinks and LinksToLines would give them; the
    // record buffer is not used. Lines are appended only when the read succeeds.
    int GetLinkLines(int catId, std::vector<std::string>& out);
    int GetLinksByName(int catId);
    int GetMaxLinkPos(int catId);
    int SearchLinks(const std::string& text, int flags, int catId);

    // Writes: each runs in one transaction; a failing statement keeps (commits)
    // the ones before it, shows SQLite's message and gives 1.
    int InsertAll();
    int UpdateLinks();
    int UpdateCategories();
    int SaveCategoryPositions();
    int DeleteCategories();
    int DeleteLinks();
    int SaveLinkCategories();
    int SaveChangedLinkPositions();

    // Export bodies: 0, or 1 when the read of the links failed (the message
    // shown, the connection closed, nothing of the body written). The links
    // are read in one ordered pass. A failing stream write throws EWriteError.
    int ExportText(std::ostream& out, int catId);
    int ExportHtml(std::ostream& out, int catId);

    // Reads an unpacked legacy catalogue folder + subfolder into the buffers
    // and removes that folder.
    void ImportLegacyFolder(const std::string& folder, const std::string& subfolder);

    sqlite3* db = nullptr;
    std::string fileName;
    std::map<int, int> catOldPos;
    std::map<int, int> linkOldPos;
    int dbVersion = 0;
    // Whether the connection's LIKE ignores case (Like.h); set by SearchLinks.
    bool likeIgnoresCase = false;

private:
    int ShowError();
    void ShowOpenError(const char* error) const;
    int CreateTablesQuietly();
    int Query(const char* sql, int (*callback)(void*, int, char**, char**), void* arg = nullptr);
    bool BeginBatch();
    int EndBatch(int result);
    int ExecFormatted(const std::string& format, const std::string& a, const std::string& b);
    int ExportBody(std::ostream& out, int catId, bool html);
    // A read that sorts a large table takes SQLite's default cache (sorted
    // in small runs merged); afterwards the large cache again.
    void SortInSmallRuns(bool small);
};
