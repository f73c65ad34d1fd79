#ifndef QEL_UTILS_H
#define QEL_UTILS_H

#include <cstdio>

// Shared free functions used by every part of the engine.
namespace qelUtils
{
// Opens a file in binary mode: 'r'/'R' for reading, 'w'/'W' for writing
// (replacing an older file). Any other letter opens nothing. A failure is
// reported as a warning; the result is then null.
FILE* openFile(const char* path, char letter);
// Closes a file; a failure is reported as a warning. Null is ignored.
void closeFile(FILE* file);

// Temporary directory (TMP, TEMP, then the platform fallback) with forward
// slashes and a trailing '/', as a new text; null when none is usable.
char* getTempDirectory();

// Copy of the text without one leading and one trailing double quote; null
// for an empty or null text.
char* stripQuotes(const char* text);
// Frees the old text and returns the unquoted value in a new buffer with
// room for extra more bytes; an empty value gives an empty text, null null.
char* replaceValue(char* old, const char* value, int extra);
// Optional '-', then digits with at most one '.'.
bool isNumber(const char* text);
// Field n (from 1) of the text split at the separator, as a new text; null
// when missing or empty.
char* getField(const char* text, int n, char separator);

// Width and height in inches of a named paper size; false (and 0, 0) when
// the name is unknown.
bool getPaperSize(const char* name, float* width, float* height);

// End-of-call clean-up: tears down the process-wide object pool.
void releaseGlobals();
}

#endif
