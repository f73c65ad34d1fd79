#ifndef QEL_UTILS_H
#define QEL_UTILS_H

#include <cstdint>
#include <cstdio>
#include <string>

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

// ---- Input format detection: the qelInputFormat bit of a named file
// (AFP, PDF or an image format), 0 when not recognised.
int detectInputFormat(const char* path);

// ---- Files and directories
// directory + '/' + name opened for reading; null when either is null.
FILE* openFileIn(const char* directory, const char* name);
// Removes a file; a failure is logged and gives false.
bool deleteFile(const char* path);
// Creates a new file for reading and writing, never opening one that exists:
// path as given, else path + "_1", "_2", ... Path becomes the name used.
// Null when none could be made (errno tells why).
FILE* createNewFile(std::string& path);
// Writes the bytes to a new file: 1 when all were written, else -1.
int writeFile(const char* path, const void* data, long length);
// Reads a whole regular, non-empty file into a new buffer: 1, else -1
// (nothing handed out).
int readWholeFile(const char* path, unsigned char** data, long* length);
// Size of a regular file, else 0.
long getFileSize(const char* path);
// Status mode bits of the path (backslashes and a trailing '/' allowed),
// 0 when it does not exist.
unsigned int getFileMode(const char* path);
bool isRegularFile(const char* path);
bool isDirectory(const char* path);
bool isWritable(const char* path);
// isRegularFile of directory + name (no separator added); a null directory
// tests the name alone.
bool isRegularFileIn(const char* name, const char* directory);
// 0 when the path is (or now is) a writable directory; -1 on failure.
int makeDirectory(const char* path);
// Deletes the files of a directory, then the directory unless it holds
// sub-directories. 0, -1 when it cannot be searched, else a system error.
int deleteDirectory(const char* directory);
// Opens a file in the viewer the system associates with it; throws E044
// when that fails (the file is kept).
void openWithAssociatedApplication(const char* path);
// Next line not beginning with ';' (line end kept, at most size - 1
// characters); null and an empty buffer at the end. Throws E068.
char* readDataLine(FILE* file, char* buffer, int size);
// Positions the file just after the line "[name]" (ignoring case): 1, or 0
// when there is none. Throws E070 when it cannot rewind, E068 on a read error.
int findSection(const char* name, FILE* file, const char* fileName);
// Process-wide base name for temporary files (no '.' or '/'); the same
// text on every call, not to be freed.
const char* getTempName();

// ---- Paths and texts (new texts unless said otherwise)
// Up to and including the last '/'; null without one.
char* getDirectory(const char* path);
// After the last '/'; without keepExtension it ends before the last '.'.
char* getBaseName(const char* path, bool keepExtension);
// Pointer into the path after its last '.'; null when there is none or it
// is the last character.
const char* getExtension(const char* path);
// Appends '/' unless the text ends with one (the C form needs the room).
void appendSlash(qelString* string);
void appendSlashC(char* path);
// '\' to '/' in place.
void toForwardSlashes(char* path);
// A name taken from the input made safe for a file name, as a new text
// (null for null): '/' and '\' become '_' and every run of two or more
// dots becomes underscores. With keepDirectories, relative directories
// stay: '\' becomes '/', leading and doubled '/' go, and the dot rule
// applies to each part.
char* toSafeFileName(const char* name, bool keepDirectories);
char* replaceChar(char* text, char from, char to);
// Begins with '/' or "\\", or a drive letter and ':'.
bool isAbsolutePath(const char* path);
// Begins with '@'.
bool isLogicalLocationName(const char* name);
// '@' + the name of a logical location of the options object.
bool isKnownLogicalLocation(const char* name);
// Characters first..last inclusive; null for bad indexes.
char* substring(const char* text, int first, int last);
// Characters from begin to end inclusive (a null end: to the last one).
char* substringByPointers(const char* text, const char* begin, const char* end);
// Remove blanks (space, 0x09..0x0D) in place.
char* trimLeft(char* text);
char* trimRight(char* text);
char* trim(char* text);
// Value of a hexadecimal digit, 0 for other characters.
int hexDigitValue(char c);
// Value of the last four hexadecimal digits of the text.
int hexToInt(const char* text);
// UTF-8 of ISO-8859-1 bytes; a length of 0 takes the text's own length.
char* latin1ToUTF8(const char* text, int length);
// Translate in place; the length, or -1 for a null buffer.
int ebcdicToAscii(unsigned char* buffer, int length);
int asciiToEbcdic(unsigned char* buffer, int length);
unsigned char ebcdicToAsciiChar(unsigned char c);
const unsigned char* getEbcdicToAsciiTable();
const unsigned char* getAsciiToEbcdicTable();
// The same tables for a code page file to replace at start-up, and the
// return to their built-in content.
unsigned char* getMutableEbcdicToAsciiTable();
unsigned char* getMutableAsciiToEbcdicTable();
void resetEbcdicTables();
// The system's text for an error code, else "Unknown Error Code: %d \n".
char* getSystemErrorText(int code);

// ---- key=value lines (';' begins a comment)
// Trims the line in place; the text before the first '=' (not trimmed
// again), or null.
char* getKey(char* line);
// Trims the line in place; whether its trimmed key equals key ignoring case.
bool isKey(char* line, const char* key);
// Field n (from 1) of the value after the first '='; an empty first field
// gives null, an empty later field an empty text.
char* getValueField(const char* line, int n, char separator);

// ---- Numbers, bits and bitmaps
// Nearest integer, halves toward minus infinity.
int roundHalfDown(double x);
// Copies count bits of value from sourcePos into *target at destPos;
// positions count from the most significant bit (0).
void setBits(unsigned char* target, int destPos, unsigned char value, int sourcePos, int count);
// Top left clip of a bitmap whose rows are padded to whole bytes, in a new
// buffer. Width and height come in as the source size and go out as the
// copy's (the width padded to the row's bytes).
unsigned char* copyBitmapRect(const unsigned char* source, int bitsPerPixel, int* width, int* height,
                              int clipWidth, int clipHeight);
// Image size less what passes the page's right and bottom edges; (0, 0)
// when nothing passes or the rotation is not a right angle.
void computeClipOverflow(int width, int height, int resolution, int pageWidth, int pageHeight,
                         int unitsPerInch, int rotation, int16_t x, int16_t y, int* clipWidth,
                         int* clipHeight);

// ---- Identifiers and versions
// A fresh UUID, 36 lower-case characters; null on failure.
char* createUUID();
// "MF<n>" or "MC<n>" with the running number counted up per call.
char* generateResourceName(bool font);
void resetResourceNameCounter();
// Fills the product and kit banners (done once; later calls keep them).
void buildVersionStrings();
const char* getProductBanner();
const char* getSDKBanner();
// The platform and the word size the program is built for ("Linux",
// "64-bit").
const char* getBuildPlatform();
const char* getBuildArchitecture();

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
