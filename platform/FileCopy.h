// Copying a file without ever touching what already has the target name.
// POSIX only, no Qt.
#pragma once

#include <string>

namespace platform {

// Copies the regular file from to to, only when nothing has the name to.
// The bytes go to a new temporary file beside to (created exclusively, so
// never through a symbolic link), are flushed to disk, and the temporary
// file then takes the name to without replacing anything (RenameNoReplace).
// False when any step fails: the temporary file is then removed, so no
// partial copy is ever left under to or elsewhere, and what had the name to
// (a file, a folder, a link, dangling or not) is as it was.
bool CopyFileNoReplace(const std::string& from, const std::string& to);

}  // namespace platform
