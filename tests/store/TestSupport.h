// Shared helpers of the store tests: a fresh temporary folder per test, a
// capture of the messages the store shows, SQL on the catalogue file through a
// connection of the test's own, and Windows-1250 literals.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/Messages.h"

struct sqlite3;

namespace storetest {

// The lock wait of the tests' connections: short, so that a locked case
// costs the suite little. The program's own wait is tested once.
constexpr int kTestLockWaitMs = 150;

// A folder made with mkdtemp and removed with everything in it afterwards.
// path() ends with "/".
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Records every text the store shows through platform::ShowMessage while it
// lives; the hook it replaced comes back afterwards.
class MessageCapture {
public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;
    const std::vector<std::string>& texts() const { return texts_; }
    void clear() { texts_.clear(); }

private:
    std::vector<std::string> texts_;
    platform::MessageHook previous_;
};

// Installs a pump hook for its lifetime (platform::ProcessMessages calls it).
class PumpHookGuard {
public:
    explicit PumpHookGuard(platform::PumpHook hook);
    ~PumpHookGuard();
    PumpHookGuard(const PumpHookGuard&) = delete;
    PumpHookGuard& operator=(const PumpHookGuard&) = delete;

private:
    platform::PumpHook previous_;
};

using Row = std::vector<std::string>;
using Rows = std::vector<Row>;

// Runs sql on dbPath through a connection of its own, which neither syncs
// nor keeps a journal file (it only builds and reads catalogues); each
// result row as texts, NULL as "NULL". Throws std::runtime_error with
// SQLite's text on error.
Rows Sql(const std::string& dbPath, const std::string& sql);

// The same for statements without result.
void ExecSql(const std::string& dbPath, const std::string& sql);

// A quoted SQL literal: 'text' with single quotes doubled.
std::string Quote(const std::string& text);

// The three tables of a catalogue, made without the store.
void CreateSchema(const std::string& dbPath);

// UTF-8 source text to Windows-1250 bytes, for ASCII and the Polish letters
// only (anything else is a mistake in the test and throws).
std::string Cp1250(std::string_view utf8);

// How many file descriptors of this process refer to path.
int OpenHandles(const std::string& path);

// The database header's file change counter: it grows by one per committed
// write transaction.
unsigned ChangeCounter(const std::string& dbPath);

// True when another connection can take the write lock at once.
bool CanWrite(const std::string& dbPath);

// Another program holding the catalogue's write lock (BEGIN IMMEDIATE) from
// construction; it lets go when destroyed, or after releaseAfter from a
// thread of its own when one is given. With statements, it runs them while
// it holds the lock and commits them as it lets go; else nothing is written.
class WriteLock {
public:
    explicit WriteLock(const std::string& dbPath, std::optional<std::chrono::milliseconds> releaseAfter = std::nullopt,
                       std::string statements = "");
    ~WriteLock();
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;

private:
    void Release();

    sqlite3* db_ = nullptr;
    std::string end_;  // the statement that lets go
    std::thread releaser_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool PathExists(const std::string& path);  // without following a final symbolic link

// Creates folder (and its parents) holding the files given as name and bytes.
void MakeFiles(const std::string& folder, const std::vector<std::pair<std::string, std::string>>& files);

// The whole catalogue as rows, to compare before and after an operation.
Rows Dump(const std::string& dbPath);

// Fixture: an empty archive folder, its catalogue path, captured messages,
// empty record buffers, no pump hook and the facade's lock wait short.
class StoreTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    Rows Q(const std::string& sql) const { return Sql(db, sql); }
    void X(const std::string& sql) const { ExecSql(db, sql); }
    // A catalogue file with the three tables and the given statements run.
    void Seed(const std::string& sql) const;

    TempFolder tmp;
    std::string dir;  // the archive folder, ending with "/"
    std::string db;   // dir + "dovra.db"
    MessageCapture messages;
};

}  // namespace storetest
