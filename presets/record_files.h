// Preset and bank files on disk and the remembered-path texts: splitting a chosen path, reading a record
// by its full path, and saving one so that a failed save never destroys the file it replaces.
#pragma once

#include <cstddef>

namespace zarpa {

// The remembered paths are 8-bit texts of at most 256 characters plus a terminator.
constexpr std::size_t kPathTextSize = 257;

// A directory separator of the platform: '/' on Linux; '\\' and '/' in the DLL.
bool isPathSeparator(char c);

// Splits path at its last separator: the text after it goes to fileName, the text up to and including it to
// directory (so directories keep their trailing separator). Changes nothing and returns false when the path
// has no separator or either part does not fit a path text (a cut path would name another file).
bool splitPath(const char* path, char* fileName, char* directory);

// Reads at most size bytes of the file into buffer, which is cleared first: a missing, unreadable or short
// file leaves zeros where its bytes are missing. The file is opened read-only by its full path; the
// process's working directory is never touched.
void readRecordFile(const char* path, unsigned char* buffer, std::size_t size);

// Replaces the file with exactly these bytes, or leaves the previous file whole. True on success.
bool writeRecordFile(const char* path, const unsigned char* data, std::size_t size);

}  // namespace zarpa
