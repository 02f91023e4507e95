// Every write of the facade against a file system that fails part-way: a
// fault-injecting SQLite VFS, made the default for the test's run, so the
// store's own connections go through it. From the Nth read (or write) of the
// call on, every read (or write) fails; N runs over every position the call
// has. Whatever the position: no crash, one message, the rows unchanged, and
// the same call goes through once the fault is gone.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "store/Db_funcs.h"
#include "store/Funcs.h"
#include "tests/store/TestSupport.h"

using namespace storetest;

namespace {

// ---- the fault-injecting VFS: every call goes on to the default VFS

enum class Fails { Reads, Writes };

struct Fault {
    bool armed = false;
    Fails fails = Fails::Reads;
    int error = SQLITE_OK;
    int from = 0;   // the position of the first failing call, 1-based
    int calls = 0;  // the calls of that kind counted since armed
    bool fired = false;

    // Whether this call of kind fails.
    bool Hits(Fails kind)
    {
        if (!armed || kind != fails || ++calls < from)
            return false;
        fired = true;
        return true;
    }
};

Fault fault;
sqlite3_vfs* real = nullptr;

struct ShimFile {
    sqlite3_file base;
    sqlite3_file* file;  // the default VFS's file, right after this struct
};

sqlite3_file* Real(sqlite3_file* f)
{
    return reinterpret_cast<ShimFile*>(f)->file;
}

int ShimRead(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset)
{
    if (fault.Hits(Fails::Reads)) {
        std::memset(buffer, 0, static_cast<size_t>(amount));
        return fault.error;
    }
    return Real(f)->pMethods->xRead(Real(f), buffer, amount, offset);
}

int ShimWrite(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset)
{
    if (fault.Hits(Fails::Writes))
        return fault.error;
    return Real(f)->pMethods->xWrite(Real(f), buffer, amount, offset);
}

int ShimClose(sqlite3_file* f)
{
    return Real(f)->pMethods->xClose(Real(f));
}

int ShimTruncate(sqlite3_file* f, sqlite3_int64 size)
{
    return Real(f)->pMethods->xTruncate(Real(f), size);
}

// The files are thrown away after each case: syncing them would only cost
// the suite its time.
int ShimSync(sqlite3_file*, int)
{
    return SQLITE_OK;
}

int ShimFileSize(sqlite3_file* f, sqlite3_int64* size)
{
    return Real(f)->pMethods->xFileSize(Real(f), size);
}

int ShimLock(sqlite3_file* f, int level)
{
    return Real(f)->pMethods->xLock(Real(f), level);
}

int ShimUnlock(sqlite3_file* f, int level)
{
    return Real(f)->pMethods->xUnlock(Real(f), level);
}

int ShimCheckReservedLock(sqlite3_file* f, int* out)
{
    return Real(f)->pMethods->xCheckReservedLock(Real(f), out);
}

int ShimFileControl(sqlite3_file* f, int op, void* arg)
{
    return Real(f)->pMethods->xFileControl(Real(f), op, arg);
}

int ShimSectorSize(sqlite3_file* f)
{
    return Real(f)->pMethods->xSectorSize(Real(f));
}

int ShimDeviceCharacteristics(sqlite3_file* f)
{
    return Real(f)->pMethods->xDeviceCharacteristics(Real(f));
}

// Version 1 of the methods: no shared memory and no memory mapping, so every
// page is read through ShimRead (the catalogue's journal is a rollback journal).
const sqlite3_io_methods kShimMethods = {
    1,
    ShimClose,
    ShimRead,
    ShimWrite,
    ShimTruncate,
    ShimSync,
    ShimFileSize,
    ShimLock,
    ShimUnlock,
    ShimCheckReservedLock,
    ShimFileControl,
    ShimSectorSize,
    ShimDeviceCharacteristics,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

int ShimOpen(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* outFlags)
{
    auto* shim = reinterpret_cast<ShimFile*>(f);
    shim->file = reinterpret_cast<sqlite3_file*>(shim + 1);
    shim->base.pMethods = nullptr;
    const int result = real->xOpen(real, name, shim->file, flags, outFlags);
    if (shim->file->pMethods)
        shim->base.pMethods = &kShimMethods;
    return result;
}

int ShimDelete(sqlite3_vfs*, const char* name, int)
{
    return real->xDelete(real, name, 0);
}

int ShimAccess(sqlite3_vfs*, const char* name, int flags, int* out)
{
    return real->xAccess(real, name, flags, out);
}

int ShimFullPathname(sqlite3_vfs*, const char* name, int size, char* out)
{
    return real->xFullPathname(real, name, size, out);
}

int ShimRandomness(sqlite3_vfs*, int size, char* out)
{
    return real->xRandomness(real, size, out);
}

int ShimSleep(sqlite3_vfs*, int microseconds)
{
    return real->xSleep(real, microseconds);
}

int ShimCurrentTime(sqlite3_vfs*, double* out)
{
    return real->xCurrentTime(real, out);
}

int ShimGetLastError(sqlite3_vfs*, int size, char* out)
{
    return real->xGetLastError(real, size, out);
}

sqlite3_vfs shimVfs = {
    .iVersion = 1,
    .szOsFile = 0,    // set once the default VFS is known
    .mxPathname = 0,  // likewise
    .pNext = nullptr,
    .zName = "faults",
    .pAppData = nullptr,
    .xOpen = ShimOpen,
    .xDelete = ShimDelete,
    .xAccess = ShimAccess,
    .xFullPathname = ShimFullPathname,
    .xDlOpen = nullptr,
    .xDlError = nullptr,
    .xDlSym = nullptr,
    .xDlClose = nullptr,
    .xRandomness = ShimRandomness,
    .xSleep = ShimSleep,
    .xCurrentTime = ShimCurrentTime,
    .xGetLastError = ShimGetLastError,
    .xCurrentTimeInt64 = nullptr,
    .xSetSystemCall = nullptr,
    .xGetSystemCall = nullptr,
    .xNextSystemCall = nullptr,
};

// ---- the calls

std::string C(int id, int pos, const std::string& name)
{
    return CategoryLine(id, pos, name, "");
}

std::string L(int id, int catId, int pos, const std::string& link)
{
    return LinkLine(id, catId, pos, link, "");
}

// Praca (1), Dom (2), Gry (3) at the last position there is (an append
// numbers the categories again first), Pełna (4) whose link stands at the
// last position (an append into it numbers its links again); a stored
// version 0, which the version check rewrites.
const char* const kSeed =
    "insert into CATEGS values(1,0,'Praca','p'); insert into CATEGS values(2,1,'Dom','d');"
    "insert into CATEGS values(3,2147483647,'Gry','g'); insert into CATEGS values(4,3,'Pelna','');"
    "insert into LINKS values(1,1,0,'zeta','d1'); insert into LINKS values(2,1,1,'alfa','d2');"
    "insert into LINKS values(3,2,7,'beta',''); insert into LINKS values(4,0,0,'u1','ud');"
    "insert into LINKS values(5,4,2147483647,'ostatni',''); insert into DB_VER values(1,0);"
    "with recursive n(i) as (select 10 union all select i + 1 from n where i < 59) "
    "insert into LINKS select i, 1, i, 'x' || i, '' from n;";

class WriteFaultsTest : public StoreTest {
protected:
    static void SetUpTestSuite()
    {
        real = sqlite3_vfs_find(nullptr);
        shimVfs.szOsFile = static_cast<int>(sizeof(ShimFile)) + real->szOsFile;
        shimVfs.mxPathname = real->mxPathname;
        ASSERT_EQ(sqlite3_vfs_register(&shimVfs, 1), SQLITE_OK);
    }
    static void TearDownTestSuite() { sqlite3_vfs_unregister(&shimVfs); }

    void TearDown() override
    {
        fault = Fault();
        StoreTest::TearDown();
    }

    struct Call {
        const char* name;
        std::function<int()> run;
    };

    std::vector<Call> Calls()
    {
        const std::string temp = dir + "temp/";
        const std::string run = "dovratemp_202401011200/";
        return {
            {"DbCheckVersion", [this] { return DbCheckVersion(dir); }},
            {"DbImportLegacyFolder",
             [this, temp, run] {
                 MakeFiles(temp + run,
                           {{"kategorie", "<n>A</n>\r\n<n>B</n>\r\n"},
                            {"kat1", "<n>http://a.pl</n><o>a</o>\r\n<n>http://b.pl</n>\r\n"}});
                 return DbImportLegacyFolder(dir, temp, run);
             }},
            {"DbMoveLinks",
             [this] {
                 return DbMoveLinks(dir, {L(1, 1, 0, "zeta"), L(2, 1, 1, "alfa")}, 2);
             }},
            {"DbMoveLinks renumbering", [this] { return DbMoveLinks(dir, {L(1, 1, 0, "zeta")}, 4); }},
            {"DbAddLinks",
             [this] {
                 return DbAddLinks(dir, {L(-1, 0, 0, "n1"), L(-1, 0, 0, "n2")}, 2);
             }},
            {"DbAddLinks renumbering", [this] { return DbAddLinks(dir, {L(-1, 0, 0, "n1")}, 4); }},
            {"DbDeleteLinks",
             [this] {
                 return DbDeleteLinks(dir, {L(1, 1, 0, "zeta"), L(3, 2, 7, "beta")});
             }},
            {"DbDeleteCategories", [this] { return DbDeleteCategories(dir, {C(1, 0, "Praca")}); }},
            {"DbInsertLinks",
             [this] {
                 return DbInsertLinks(dir, {L(-1, 2, 8, "n1"), L(-1, 2, 9, "n2")});
             }},
            {"DbUpdateLinks",
             [this] {
                 return DbUpdateLinks(dir, {L(1, 1, 0, "zeta2"), L(2, 1, 1, "alfa2")});
             }},
            {"DbUpdateCategories",
             [this] {
                 return DbUpdateCategories(dir, {C(1, 0, "Praca2"), C(2, 1, "Dom2")});
             }},
            {"DbSaveCategoryOrder",
             [this] {
                 return DbSaveCategoryOrder(dir, {C(2, 1, "Dom"), C(1, 0, "Praca"), C(4, 3, "Pelna")});
             }},
            {"DbSaveLinkOrder",
             [this] {
                 return DbSaveLinkOrder(dir, {L(1, 1, 1, "zeta"), L(2, 1, 0, "alfa")});
             }},
            {"DbAddCategories",
             [this] {
                 return DbAddCategories(dir, {C(-1, 5, "Nowa"), C(-1, 6, "Druga")});
             }},
            {"DbAppendCategories renumbering", [this] { return DbAppendCategories(dir, {C(-1, 0, "Nowa")}); }},
            {"DbSortLinksByName", [this] { return DbSortLinksByName(dir, 1); }},
        };
    }

    // Runs every call with the fault from each of its positions on.
    void AtEveryPosition(Fails fails, int error)
    {
        for (const Call& call : Calls()) {
            int positions = 0;
            for (int from = 1;; ++from) {
                SCOPED_TRACE(std::string(call.name) + " failing from position " + std::to_string(from));
                ASSERT_LT(from, 1000) << "the fault never stopped firing";
                Fresh();
                const Rows before = PlainDump();
                fault = Fault{true, fails, error, from, 0, false};
                const int result = call.run();
                const bool fired = fault.fired;
                fault = Fault();
                if (!fired) {
                    EXPECT_EQ(result, DbOk);
                    EXPECT_TRUE(messages.texts().empty());
                    break;
                }
                ++positions;
                EXPECT_NE(result, DbOk);
                EXPECT_EQ(messages.texts().size(), 1u);
                EXPECT_EQ(PlainDump(), before);
                messages.clear();
                EXPECT_EQ(call.run(), DbOk) << "the next call";
                EXPECT_TRUE(messages.texts().empty());
                EXPECT_EQ(OpenHandles(db), 0);
                if (HasFailure())
                    return;  // one position is enough to read
            }
            EXPECT_GT(positions, 0) << call.name;
        }
    }

    // The rows as a connection of the default VFS itself reads them (it
    // rolls back what a failed write left in a journal).
    Rows PlainDump() const
    {
        sqlite3_vfs_unregister(&shimVfs);
        const Rows rows = Dump(db);
        sqlite3_vfs_register(&shimVfs, 1);
        return rows;
    }

    // The catalogue as kSeed leaves it, written anew.
    void Fresh()
    {
        std::remove(db.c_str());
        std::remove((db + "-journal").c_str());
        Seed(kSeed);
        messages.clear();
    }
};

}  // namespace

// What the faults below do to a running transaction, shown on a connection
// of the test's own: a failed read, a failed write and a full disk end it
// (SQLite rolls back by itself); a read that finds the file damaged leaves
// it to the program.
TEST_F(WriteFaultsTest, TheFaultsEndTheTransactionOrLeaveItOpen)
{
    struct Case {
        const char* name;
        Fails fails;
        int error;
        const char* statement;
        bool rolledBack;
    } cases[] = {
        {"failed read", Fails::Reads, SQLITE_IOERR_READ, "select count(*) from LINKS", true},
        {"failed write", Fails::Writes, SQLITE_IOERR_WRITE, "update LINKS set POS=POS+1", true},
        {"full disk", Fails::Writes, SQLITE_FULL, "update LINKS set POS=POS+1", true},
        {"damaged file", Fails::Reads, SQLITE_IOERR_CORRUPTFS, "select count(*) from LINKS", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open(db.c_str(), &other), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(other, "PRAGMA cache_size=1; BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        fault = Fault{true, c.fails, c.error, 1, 0, false};
        EXPECT_NE(sqlite3_exec(other, c.statement, nullptr, nullptr, nullptr), SQLITE_OK);
        EXPECT_TRUE(fault.fired);
        fault = Fault();
        EXPECT_EQ(sqlite3_get_autocommit(other) != 0, c.rolledBack);
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
    }
}

TEST_F(WriteFaultsTest, AFailedReadEndsTheWriteOnce)
{
    AtEveryPosition(Fails::Reads, SQLITE_IOERR_READ);
}

TEST_F(WriteFaultsTest, ADamagedFileEndsTheWriteOnce)
{
    AtEveryPosition(Fails::Reads, SQLITE_IOERR_CORRUPTFS);
}

TEST_F(WriteFaultsTest, AFailedWriteEndsTheWriteOnce)
{
    AtEveryPosition(Fails::Writes, SQLITE_IOERR_WRITE);
}

TEST_F(WriteFaultsTest, AFullDiskEndsTheWriteOnce)
{
    AtEveryPosition(Fails::Writes, SQLITE_FULL);
}
