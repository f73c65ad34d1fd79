#ifndef QEL_UTILS_H
#define QEL_UTILS_H

#include <cstdint>
#include <cstdio>

class qelColorEntry;
class qelString;

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

// ---- Colours. Packed RGB is 0x00BBGGRR; packed CMYK holds C in the high
// byte, then M, Y and K. Colour types: 1 RGB, 2 CMYK, 5 OCA named colour.
uint32_t cmykToRGB(uint32_t cmyk);
void cmykToRGB(unsigned char c, unsigned char m, unsigned char y, unsigned char k, unsigned char* r,
               unsigned char* g, unsigned char* b);
// Grey level 0..255 of a packed RGB colour.
int rgbToGray(uint32_t rgb);
int rgbToGray(unsigned char r, unsigned char g, unsigned char b);
// Grey level of a packed CMYK colour from its C, M and Y inks.
int rgbToInkLevel(uint32_t cmyk);
// Lightens a packed RGB colour toward white; a percent outside 1..100 (as
// a byte) leaves it unchanged.
uint32_t applyIntensity(uint32_t rgb, int percent);
// CIELAB (D65) to packed RGB and to a grey level.
uint32_t labToRGB(double l, double a, double b);
int labToGray(double l, double a, double b);
// White: RGB 0xFFFFFF, CMYK 0, OCA 7.
bool isWhiteColor(int type, uint32_t value);
// Gray entry for a grey colour, else the nearest entry of the colour table
// (distance stored); null without table.
qelColorEntry* findNearestColor(unsigned char r, unsigned char g, unsigned char b, double* distance);
// Whether the colour has an entry in the colour table; OCA colours always.
bool isMappedColor(int type, uint32_t color, bool withTolerance);
// Packed RGB of an OCA colour number; a colour list entry of that name
// overrides the built-in value.
uint32_t getOCAColorRGB(unsigned int number);
// OCA colour number of a colour of type 1 or 5; false when none applies
// (the number is then left alone).
bool getOCAColorId(uint32_t color, int type, int* number);

// ---- Wildcard search: the first entry (file or directory) the path
// matches, as the path's directory part + the entry's name with forward
// slashes, in a new text; null when nothing matches.
char* findFirstFile(const char* path);
}

#endif
