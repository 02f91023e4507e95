// A file written from its start that replaces what had its name whole or
// not at all. The bytes go to a new file beside the target (created
// exclusively); Close flushes it, syncs it to the disk and only then gives it
// the target's name with one rename. A file never closed, or whose close
// failed, replaces nothing and is removed: the old file stays as it was.
// Writes are buffered; Close is where a full disk shows at the latest, so a
// writer calls it and never takes a file that was not closed for a complete
// one. A device or a pipe (/dev/null, a FIFO) is written in place, and so is
// an existing file in a folder where no new file can be made (no write
// permission, a read-only mount): it is then emptied and written where it
// is, not replaced in one step. Files an ended run left beside the target
// under the writer's temporary names go when the target is next written.
#pragma once

#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>

// Raised when a file cannot be created: "Cannot create file "<path>"".
class EFCreateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raised when bytes cannot be written to a stream: "Stream write error".
class EWriteError : public std::runtime_error {
public:
    EWriteError() : std::runtime_error("Stream write error") {}
};

namespace platform {

class OutputFile {
public:
    // Starts the file that is to take the name path (native bytes; through a
    // symbolic link, the file it points to). A new file gets the mode of a
    // plain create (0666 less the umask), a replacing one the mode of the
    // file it replaces. EFCreateError when no new file can be made beside
    // path, or path is a file that may not be written, a folder, or a link
    // that points nowhere.
    explicit OutputFile(const std::string& path);
    // A file that Close did not complete is removed, without reporting
    // anything; what has the name path is as it was.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // The stream over the file: a write that fails throws EWriteError out of
    // the stream's own call.
    std::ostream& Stream() { return stream_; }
    // Appends bytes after everything written so far; EWriteError when it fails.
    void Write(const std::string& bytes);
    // Flushes, syncs and closes the file, then puts it in place of path;
    // EWriteError when anything written did not reach the disk,
    // EFCreateError when the file cannot take the name. On a failure path is
    // as it was. Nothing can be written afterwards.
    void Close();

private:
    class Buffer;

    std::string path_;       // as given, for the messages
    std::string target_;     // the name the file takes
    std::string temporary_;  // the new file beside it; empty when written in place or put in place
    std::unique_ptr<Buffer> buffer_;
    std::ostream stream_;
};

}  // namespace platform
