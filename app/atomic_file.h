// Files that are never seen half-written, and small files read whole.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Creates the directory `dir` and its missing parents. On failure `error`
// says which directory could not be made and why.
bool makeDirectories(const std::string& dir, std::string& error);

enum class TemporaryFile {
    Unnamed,  // an unnamed file (O_TMPFILE) where the file system has them, else a named one
    Named,    // always a named one
};
// Replaces the file `path` by `size` bytes so that, whatever happens meanwhile
// (a crash, a power cut, a full disk), the path holds either the old file or
// the whole new one: the bytes go to a temporary file in the same directory,
// which is flushed to the disk and then renamed over `path`. An unnamed
// temporary file gets its name (".NAME.XXXXXX") only once it is whole, just
// before the rename, so a process killed meanwhile leaves nothing behind.
// A `path` that is a symbolic link is replaced where it leads, the link
// kept. A file replaced keeps its permissions; a read-only one (isReadOnly)
// is not replaced. A new one gets `newFileMode` less the umask. Missing
// directories are created. On failure `error` says why, the old file is as
// it was and no temporary file is left.
bool writeFileAtomically(const std::string& path, const void* data, size_t size, std::string& error,
                         mode_t newFileMode = 0600, TemporaryFile temporaryFile = TemporaryFile::Unnamed);

// Whether the file `path` leads to is there and read-only: this process may
// not write it (its permissions, a read-only file system), or no one may
// (which holds even for the superuser, whom the permissions would not
// stop). A rename would replace it all the same.
bool isReadOnly(const std::string& path);

// Removes from `dir` the temporary files that writes of files named NAME
// left behind when their process was killed: regular files named
// ".NAME.XXXXXX" for which isOwnFile(NAME) holds, last changed over a
// minute ago (a newer one may be another run's write under way). Gives how
// many were removed.
int removeStaleTemporaries(const std::string& dir, bool (*isOwnFile)(const std::string& name));

// Creates the file `path` with `size` bytes; never replaces a file that is
// already there (false with `exists` set then). Missing directories are
// created. On failure `error` says why and no part of the file is left.
bool writeNewFile(const std::string& path, const void* data, size_t size, bool& exists, std::string& error);

enum class ReadStatus { Read, Missing, Failed };
// Reads the regular file `path` whole if it holds at most `limit` bytes.
// Missing: nothing is there. Failed: `error` says why (not a regular file,
// larger than the limit, unreadable). `bytes` is empty unless Read.
ReadStatus readWholeFile(const std::string& path, size_t limit, std::vector<uint8_t>& bytes, std::string& error);
