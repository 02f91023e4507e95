// The catalogue database: records, the two record buffers, and SQLiteClass,
// one connection for one store operation.
#pragma once

#include <functional>
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
    // A connection waits lockWaitMs for a lock held by another program.
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
    // Moves the parsed links to the end of category catId, after the record of
    // GetMaxLinkPos (which it removes). Positions never pass INT_MAX: when the
    // last position leaves no room, the category is first numbered again from
    // 0 in its order, and the links follow from the category's size on. To be
    // called inside a write (InsertLinksAtEnd, MoveLinksToEnd), whose
    // transaction takes the renumbering. 0; 1 when the renumbering fails;
    // kReadFailed when the size cannot be read or the category would hold more
    // links than there are positions. On failure the message is left to the
    // write, which shows it once.
    int AppendPositions(int catId);
    // Gives the parsed categories the positions after the largest stored one
    // (after 0 at least, the place of "Bez kategorii"), in line order, under
    // the same rule: when there is no room, all categories are first numbered
    // again from 0 in their order. Inside a write (InsertCategoriesAtEnd);
    // results as AppendPositions gives them.
    int AppendCategoryPositions();
    static constexpr int kReadFailed = 2;

    // Reads.
    int GetCategories();
    int GetLinks(int catId);
    // The links of category catId (-1: every link) in position order, read
    // straight into lines as GetLinks and LinksToLines would give them; the
    // record buffer is not used. Lines are appended only when the read succeeds.
    int GetLinkLines(int catId, std::vector<std::string>& out);
    int GetLinksByName(int catId);
    // One record whose positions are the category's largest stored one: 0
    // without links, INT_MAX when that position is no int (beyond 32 bits, or
    // no whole number), which leaves no room after it.
    int GetMaxLinkPos(int catId);
    int SearchLinks(const std::string& text, int flags, int catId);

    // Writes: each runs in one transaction and gives 0. A write stops at its
    // first failing statement and gives 1: it is rolled back whole, so it
    // changes nothing, and SQLite's message is shown once.
    int InsertAll();
    int UpdateLinks();
    int UpdateCategories();
    int SaveCategoryPositions();
    int DeleteCategories();
    int DeleteLinks();
    int SaveLinkCategories();
    int SaveChangedLinkPositions();
    // The writes of DbAddLinks, DbMoveLinks and DbAppendCategories: in one
    // transaction, the parsed links go to the end of category catId
    // (GetMaxLinkPos, AppendPositions) and are inserted (InsertAll) or saved
    // in it (SaveLinkCategories); the parsed categories go after the last one
    // (AppendCategoryPositions) and are inserted. The positions are read after
    // the write lock is taken, so records another program added meanwhile
    // count. 0, 1 as the writes above, or kReadFailed when reading the
    // positions failed (also for a negative catId: then nothing is read or
    // shown); either failure changes nothing and shows its message once.
    int InsertLinksAtEnd(int catId);
    int MoveLinksToEnd(int catId);
    int InsertCategoriesAtEnd();

    // Export bodies: 0, or 1 when the read of the links failed (the message
    // shown, the connection closed, nothing of the body written). The links
    // are read in one ordered pass. A failing stream write throws EWriteError.
    int ExportText(std::ostream& out, int catId);
    int ExportHtml(std::ostream& out, int catId);

    // Reads an unpacked legacy catalogue folder + subfolder into the buffers
    // and removes that folder.
    void ImportLegacyFolder(const std::string& folder, const std::string& subfolder);

    // How long the connection waits for a lock that another program holds
    // before a statement gives up with "database is locked"; read by Open.
    static constexpr int kDefaultLockWaitMs = 2000;
    int lockWaitMs = kDefaultLockWaitMs;
    // The connection's failures are not shown (its command has shown one).
    bool quiet = false;
    // Whether a failure of this connection was to be shown, quiet or not.
    bool Said() const { return said_; }

    sqlite3* db = nullptr;
    std::string fileName;
    std::map<int, int> catOldPos;
    std::map<int, int> linkOldPos;
    int dbVersion = 0;
    // Whether the connection's LIKE ignores case (Like.h); set by SearchLinks.
    bool likeIgnoresCase = false;

private:
    // Every message of the connection goes through Say.
    void Say(const std::string& text);
    int ShowError();
    void ShowOpenError(const char* error);
    int CreateTablesQuietly();
    // A read: on failure SQLite's message is shown and the connection closed;
    // inside a write the message is left to the write instead and the
    // connection stays open, whether SQLite has ended the transaction itself
    // (an I/O error, a full disk) or not.
    int Query(const char* sql, int (*callback)(void*, int, char**, char**), void* arg = nullptr);
    // What a read that failed with text does, as Query describes.
    int ReadFailed(const std::string& text);
    // The one shape of every write: statements runs the write's statements
    // through Step and stops at the first that fails (it gives false). One
    // transaction around them; the result as the writes above give it.
    int Write(const std::function<bool()>& statements);
    // A Write of one statement per item, none for no items.
    template <class Items, class Statement>
    int WriteEach(const Items& items, Statement statement);
    // One or more statements; false on failure, its message kept for Write.
    bool Step(const std::string& sql);
    bool StepFormatted(const std::string& format, const std::string& a, const std::string& b);
    // The statements of InsertAll and SaveLinkCategories.
    bool StepInserts();
    bool StepLinkCategories();
    // A Write whose place step gives the records their positions first (0, 1
    // or kReadFailed); its result as InsertLinksAtEnd gives it.
    int WriteAppended(const std::function<int()>& place, const std::function<bool()>& statements);
    int PlaceLinks(int catId);
    int ExportBody(std::ostream& out, int catId, bool html);
    // A read that sorts a large table takes SQLite's default cache (sorted
    // in small runs merged); afterwards the large cache again.
    void SortInSmallRuns(bool small);

    // The position after which count new records of one list go (table with
    // filter picks the list), given its largest position last: that position
    // while they fit below INT_MAX; else the list is numbered again from 0 (a
    // statement of the running write) and last becomes its size - 1. 0; 1
    // when the renumbering fails; kReadFailed when the size cannot be read or
    // the list would hold more records than there are positions.
    int LastBeforeAppended(long long& last, long long count, const std::string& table, const std::string& filter);

    // The message of the running write's failing statement.
    std::string writeError;
    bool writing_ = false;  // inside Write
    bool said_ = false;
};
