#pragma once
// The program's own version information: a block of 16-bit units generated at build time from the
// project version, and the search that reads a value such as "FileVersion" out of it.

#include <QString>
#include <cstddef>

// A view of 16-bit units.
struct QSpan16 {
    const char16_t* data = nullptr;
    std::size_t size = 0;
};

// The version block compiled into the program.
QSpan16 VersionResource();

// Searches block for key in UTF-16, unit by unit (after a mismatch the comparison starts again at
// the key's first character); at the first full match skips the zero units that follow and returns
// the run of non-zero units after them. Empty when the key is not found.
QString FindVersionValue(QSpan16 block, const QString& key);

// "FileVersion" of the program's own block, for example "3.0.0.0".
QString ProgramVersion();
