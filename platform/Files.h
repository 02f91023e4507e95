// File and folder services on POSIX. Paths are native (UTF-8) bytes with "/".
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

// Raised when a file cannot be opened or read.
class EFOpenError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace platform {

// $TMPDIR, else /tmp, in canonical form without a trailing "/"; "" when that
// folder does not exist.
std::string SystemTempFolder();

// $XDG_DATA_HOME, else $HOME/.local/share, without a trailing "/"; "" when
// neither is set.
std::string UserDataFolder();

// True for an existing regular file (a link to one counts).
bool FileExists(const std::string& path);

// True when the two paths name one file: for existing files the same device
// and inode (hard and symbolic links and other spellings count), otherwise
// the same path once made absolute and its links resolved.
bool SameFile(const std::string& a, const std::string& b);

// Removes an empty folder (or a symbolic link standing for one); false when it fails.
bool RemoveFolder(const std::string& path);

// Splits text at CR LF, LF or CR; a final line break adds no empty line.
std::vector<std::string> SplitLines(const std::string& text);

// Reads a whole file as bytes; EFOpenError when it cannot be read.
std::string ReadFileBytes(const std::string& path);

// Reads a file's lines (see SplitLines); EFOpenError when it cannot be read.
std::vector<std::string> LoadLines(const std::string& path);

}  // namespace platform
