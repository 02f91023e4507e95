// File operations with exact rules about what already has the target name:
// a private folder that is never an existing one, a new file that is never
// an existing one, a rename that never replaces, one that replaces in a
// single step, and deleting a file.
// POSIX only, no Qt. Paths are native bytes; a trailing "/" is allowed
// on folder names.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Creates one folder with mode 0700 (whatever the umask). False when it
// fails, in particular when anything has that name already: a folder, a
// file, a symbolic link (followed or not, dangling or not).
bool CreatePrivateFolder(const std::string& path);

// A new file beside path, to be renamed to path once it is complete: named
// path + ".part-" + eight random characters (in path's folder, where a
// rename can reach path), created exclusively, so that nothing that has the
// name, a symbolic link included, is ever opened; mode as open(2) takes it,
// less the umask. The descriptor, open for writing, or -1 when no file could
// be made; temporary gets its name.
int CreateFileBeside(const std::string& path, unsigned mode, std::string& temporary);

// Removes what an ended run left of CreateFileBeside(path): the files in
// path's folder named path's name + ".part-" + eight letters or digits.
// One program runs at a time, so such a file can only be a leftover. Only
// plain files of this user go; a symbolic link or anything else of that
// shape is left alone, and nothing is followed. Failures are not reported.
void RemoveFilesBesideLeftOver(const std::string& path);

// The same for the names path's name + suffix + a rest that rest accepts
// (a writer's own pattern of temporary names).
void RemoveFilesBesideNamed(const std::string& path, const std::string& suffix, bool (*rest)(std::string_view));

// Makes a name just given in path's folder durable (fsync of the folder).
// A failure is not reported: the name is there, only not yet on the disk.
void SyncFolderOf(const std::string& path);

// Renames from to to only when nothing has the name to: renameat2 with
// RENAME_NOREPLACE, else (a file system without it) link and unlink. False
// when it fails; a taken target then leaves both names as they were.
bool RenameNoReplace(const std::string& from, const std::string& to);

// Renames from to to in one step, replacing a file named to (rename(2)).
// False when it fails; both names are then as they were.
bool RenameReplace(const std::string& from, const std::string& to);

// Deletes a file (a symbolic link itself, never what it points to); not
// a folder. False when it fails.
bool DeleteFile(const std::string& path);

// count letters and digits ([A-Za-z0-9]) from the system's random source.
std::string RandomCharacters(int count);

}  // namespace platform
