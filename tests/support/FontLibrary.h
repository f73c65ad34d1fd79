#ifndef FONT_LIBRARY_H
#define FONT_LIBRARY_H

// A small AFP font library written at test time: the raster character sets
// and the code page that FOP's AFP output names, built with FocaBuilder from
// the Type 1 fonts of fonts-urw-base35 and the shipped code page file.
#include "FocaBuilder.h"

#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace lrbtest {
namespace foca {

struct LibraryFont
{
    const char* name;
    const char* type1;
    int points;
};

// The character sets of FOP's output, sized as their names say.
inline const std::vector<LibraryFont>& fopFonts()
{
    static const std::vector<LibraryFont> fonts = {
        {"C0H200D0", "NimbusSans-Regular", 14},
        {"C0H200B0", "NimbusSans-Regular", 12},
        {"C0N40000", "NimbusRoman-Regular", 10},
        {"C0420090", "NimbusMonoPS-Regular", 9},
    };
    return fonts;
}

// GCGID by Unicode value from a shipped ".cp" file.
inline std::map<unsigned, std::string> gcgidsByUnicode(const std::string& cpFile)
{
    std::ifstream in(cpFile);
    std::map<unsigned, std::string> out;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == ';' || line[0] == '.')
            continue;
        const size_t a = line.find(' ');
        const size_t b = a == std::string::npos ? a : line.find(' ', a + 1);
        if (b == std::string::npos || line.size() < b + 5)
            continue;
        out.emplace(static_cast<unsigned>(std::stoul(line.substr(b + 1, 4), nullptr, 16)), line.substr(0, a));
    }
    return out;
}

// Characters of the library: printable ASCII, with `latin1` also the
// characters U+00A0 to U+00FF.
inline bool libraryCharacter(unsigned c, bool latin1)
{
    return (c >= 0x20 && c < 0x7F) || (latin1 && c >= 0xA0 && c <= 0xFF);
}

// The characters drawn at the size of the font.
inline CharacterSet libraryCharacterSet(const LibraryFont& font, const std::string& cpFile, bool latin1 = false)
{
    const std::map<unsigned, std::string> gcgids = gcgidsByUnicode(cpFile);
    Type1Face face(type1Font(font.type1));
    CharacterSet cs;
    cs.name = font.name;
    cs.typeface = font.type1;
    cs.nominalVerticalSize = static_cast<unsigned>(font.points * 10);
    for (unsigned c = 0x20; c <= 0xFF; ++c) {
        auto it = gcgids.find(c);
        if (it == gcgids.end() || !libraryCharacter(c, latin1))
            continue;
        cs.characters.push_back(face.raster(c, it->second, font.points));
    }
    return cs;
}

// The same characters as an outline set (X'1F') carrying the font's Type 1
// program, with the program's glyph names.
inline CharacterSet libraryOutlineSet(const LibraryFont& font, const std::string& cpFile, bool latin1 = false)
{
    const std::map<unsigned, std::string> gcgids = gcgidsByUnicode(cpFile);
    CharacterSet cs = outlineSet(type1Font(font.type1), "", font.name);
    cs.typeface = font.type1;
    cs.nominalVerticalSize = static_cast<unsigned>(font.points * 10);
    Type1Face face(type1Font(font.type1));
    for (unsigned c = 0x20; c <= 0xFF; ++c) {
        auto it = gcgids.find(c);
        if (it == gcgids.end() || !libraryCharacter(c, latin1))
            continue;
        cs.characters.push_back(face.outline(c, it->second));
    }
    return cs;
}

inline void writeBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The resources of the library: file name and bytes.
struct LibraryMember
{
    std::string file;
    unsigned type;
    std::string name;
    Bytes bytes;
};

// Kinds of character sets in a library.
enum class LibrarySets { ASCII_RASTER, LATIN1_RASTER, LATIN1_OUTLINE };

inline std::vector<LibraryMember> fopLibrary(const std::string& dataDir, LibrarySets sets = LibrarySets::ASCII_RASTER)
{
    const std::string cpFile = dataDir + "/500.cp";
    const bool latin1 = sets != LibrarySets::ASCII_RASTER;
    std::vector<LibraryMember> out;
    for (const LibraryFont& font : fopFonts())
        out.push_back({std::string(font.name) + ".CHS", RES_CHARSET, font.name,
                       build(sets == LibrarySets::LATIN1_OUTLINE ? libraryOutlineSet(font, cpFile, latin1)
                                                                 : libraryCharacterSet(font, cpFile, latin1))});
    CodePage cp;
    cp.name = "T1V10500";
    cp.codePoints = codePointsOf(cpFile);
    out.push_back({"T1V10500.CDP", RES_CODEPAGE, cp.name, build(cp)});
    return out;
}

// Writes the library files into dir.
inline void writeFopLibrary(const std::string& dir, const std::string& dataDir,
                            LibrarySets sets = LibrarySets::ASCII_RASTER)
{
    for (const LibraryMember& m : fopLibrary(dataDir, sets))
        writeBytes(dir + "/" + m.file, m.bytes);
}

} // namespace foca
} // namespace lrbtest

#endif
