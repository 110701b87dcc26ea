// Opening files with the operator told of every failure, parameter files and
// the path helpers with which result names are composed.
#pragma once
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>

// Key/value pairs of a parameter file; an absent key looked up reads as "".
using ParamMap = std::map<std::string, std::string>;

// Buffered open; on failure prints "\ni can't open " + path, waits for a key, returns null.
FILE* fOpenFile(std::string path, const char* mode);

// Size in bytes, or -1 (missing file, or 2^31 bytes or more). Prints nothing.
int32_t fFileSize(std::string path);

// Opens `stream` for binary input; on failure prints "\ni can't open\n" + path,
// waits for a key and returns false with the stream failed.
bool fOpenReadStream(std::string path, std::ifstream& stream);

// Fills `map` from a file of four-line records (two free lines, key, value).
// Returns false, after saying so and waiting for a key, if the file can't be opened.
bool fReadParamFile(ParamMap& map, std::string path);

// The path up to, not including, its last "."; the whole path if it has none.
std::string fStripExtension(const std::string& path);

// The last path component of the path without its extension.
std::string fFileStem(const std::string& path);

// A result name with its read-size scope: stem + "[" + min + "-" + max + "]" + tail.
std::string fScopedName(const std::string& stem, int32_t minSize, int32_t maxSize, const std::string& tail);

// The name a log shows for an input path: the path itself, or the name given
// for it with fShowPathAs (the command line shows the user's names for the
// converted copies it hands to a procedure).
const std::string& fShownPath(const std::string& path);
void fShowPathAs(const std::string& path, const std::string& shown);

// The standard text-to-int conversion without ending the run: false for a text
// that holds no number or one outside 32 bits; `rest` is what follows the digits.
bool fParseNumber(const std::string& text, int32_t& value, std::string* rest = nullptr);

// The decimal 32-bit value of a parameter, converted as the standard text-to-int
// conversion does. A value that holds no number or lies outside 32 bits ends
// the run: a message naming key and value, exit code 1.
int32_t fParamNumber(const std::string& key, const std::string& value);

// Reads one line into `buffer` (at most size - 1 characters kept, line feed
// dropped). `taken` is the number of characters the read took from the stream,
// the line feed included. Returns false at end of input or at a line too long
// for the buffer; the buffer then holds the empty text or the kept part.
bool fGetLine(std::istream& stream, char* buffer, int32_t size, int32_t& taken);

