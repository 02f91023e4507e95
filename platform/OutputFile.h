// A file written from its start, as the class library's file stream in
// create mode: the file is created, or emptied when it exists. Writes are
// buffered; Close flushes and closes and is where a full disk shows at the
// latest, so a writer calls it and never takes a file that was not closed
// for a complete one.
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
    // Creates path (native bytes) or empties it; EFCreateError when it cannot.
    explicit OutputFile(const std::string& path);
    // Closes a file that Close did not, without reporting anything.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // The stream over the file: a write that fails throws EWriteError out of
    // the stream's own call.
    std::ostream& Stream() { return stream_; }
    // Appends bytes after everything written so far; EWriteError when it fails.
    void Write(const std::string& bytes);
    // Flushes and closes the file; EWriteError when anything written did not
    // reach it. Nothing can be written afterwards.
    void Close();

private:
    class Buffer;
    std::unique_ptr<Buffer> buffer_;
    std::ostream stream_;
};

}  // namespace platform
