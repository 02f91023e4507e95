// The control side of the test library (testlib/ExternalLibraries.cpp),
// which stands in for "update.so" and "archuse.so".
//
//   TestLibrary lib(root + "testlib/");  // sets $QUOMIRA_TESTLIB_DIR for its lifetime
//   lib.InstallAs(exeFolder, "archuse.so");
//   lib.SetUnpackSource(fixtureFolder);  // _OpenArch copies its files
//   lib.SetUpdateAnswer(1);              // _SprVer answers 1
//   ... run the program ...
//   for (const TestLibrary::Call& call : lib.Calls()) ...
//
// Every copy of the library in the process shares the one control folder.
// Qt-free, so benchmarks can use it too.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

class EnvGuard;

class TestLibrary {
public:
    // Paths of the two built libraries.
    static std::string TestLibraryPath();
    static std::string ShippedUpdateLibraryPath();
    // Copies a library file into folder under fileName, replacing one there.
    static void Install(const std::string& libraryPath, const std::string& folder, const std::string& fileName);

    // controlFolder is created when missing; $QUOMIRA_TESTLIB_DIR points
    // to it until the object ends.
    explicit TestLibrary(const std::string& controlFolder);
    ~TestLibrary();
    TestLibrary(const TestLibrary&) = delete;
    TestLibrary& operator=(const TestLibrary&) = delete;

    // Copies the test library into folder as fileName ("update.so" or "archuse.so").
    void InstallAs(const std::string& folder, const std::string& fileName) const;

    // What _SprVer answers from now on (0 until set).
    void SetUpdateAnswer(int answer) const;
    // The folder whose files _OpenArch copies into the run subfolder; ""
    // makes it unpack nothing (the default).
    void SetUnpackSource(const std::string& folder) const;
    // A path that _OpenArch makes a folder (one level) while it unpacks,
    // deleting a file of that name first: something that changes meanwhile.
    // "" makes none (the default).
    void SetFolderMadeWhileUnpacking(const std::string& path) const;

    // One call as the library saw it.
    struct Call {
        std::string exportName;                         // "_SprVer" or "_OpenArch"
        std::vector<std::optional<std::string>> texts;  // nullopt: a null pointer
        // _SprVer: its mode; _OpenArch: the run subfolder as found during
        // the call: "0700" (its permission bits), "link", "file" or "none".
        std::string last;
    };
    // The calls recorded so far, in order.
    std::vector<Call> Calls() const;
    void ClearCalls() const;

private:
    std::string folder_;
    std::unique_ptr<EnvGuard> env_;
};
