#include "qelFileFontMapper.h"

#include "qelAFPFont.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelMappingDef.h"
#include "qelMessageOutput.h"
#include "qelPhysicalFont.h"
#include "qelString.h"

#include <string>

namespace {
bool isDefault(const char* name)
{
    return name && qelString::compare(name, "DEFAULT", true, 0);
}

bool isEmpty(const char* text)
{
    return !text || !*text;
}

// A copy that outlives changes to the font the text came from.
std::string copyOf(const char* text)
{
    return text ? std::string(text) : std::string();
}

const char* orNull(const std::string& text, bool present)
{
    return present ? text.c_str() : nullptr;
}

// DEFAULT entries stand in only for fonts not read from a resource library.
bool fallbackFor(const qelAFPFont* font)
{
    return font->getFound() == 0;
}

// A warning on the message output (unless quiet) and in the log (level 2).
void warn(const char* format, const char* name)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIni* ini = pool ? pool->getIni() : nullptr;
    if (!ini || !ini->isQuietMode()) {
        qelMessageOutput::printf(format, name);
        qelMessageOutput::write("\n");
    }
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    if (log && log->anyOf(QEL_LOG_LEVEL2))
        log->printLine(format, name);
}

void defaultTypeface(qelAFPFont* font)
{
    if (isEmpty(font->getTypefaceName()))
        font->setTypefaceName(font->getFontName());
}

// Character set name used for the physical font of the built-in fallback.
const char* fallbackCharacterSet(bool bold, bool italic)
{
    if (bold)
        return italic ? "CZH500" : "CZH400";
    return italic ? "CZH300" : "CZH200";
}
}

qelFileFontMapper::qelFileFontMapper()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    if (pool && !pool->getMappingDef())
        pool->setMappingDef(new qelMappingDef());
}

qelMappingDef* qelFileFontMapper::definition() const
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    return pool ? pool->getMappingDef() : nullptr;
}

qelMappingDef* qelFileFontMapper::loadedDefinition() const
{
    qelMappingDef* md = definition();
    return md && md->isLoaded() ? md : nullptr;
}

bool qelFileFontMapper::completeNewFont(qelAFPFont* font, const char* characterSetName)
{
    try {
        applyCharSetEntry(characterSetName, font);
        const std::string fgid = copyOf(font->getFGID());
        applyFGIDEntry(orNull(fgid, font->getFGID() != nullptr), font);
        const char* fontName = font->getFontName();
        const std::string name = copyOf(fontName);
        applyOutputFontEntry(orNull(name, fontName != nullptr), font);
    } catch (qelException* e) {
        delete e;
        return false;
    }
    return true;
}

qelAFPFont* qelFileFontMapper::mapCharacterSet(const char* characterSetName, const char* codePageName)
{
    if (!loadedDefinition() || !characterSetName)
        return nullptr;
    auto* font = new qelAFPFont(characterSetName, codePageName);
    font->qelRes::setName(characterSetName);
    if (!isDefault(characterSetName)) {
        qelAFPFont::applyDefaultFontNames(font);
        defaultTypeface(font);
    }
    if (!completeNewFont(font, characterSetName)) {
        delete font;
        return nullptr;
    }
    return font;
}

qelAFPFont* qelFileFontMapper::mapCodedFont(const char* codedFontName)
{
    qelMappingDef* md = loadedDefinition();
    if (!md || !codedFontName)
        return nullptr;
    if (codedFontName[0] != 'X' && codedFontName[0] != 'x' && !isDefault(codedFontName)) {
        warn("Warning! Invalid Coded Font Name (%s), using array font mapping.", codedFontName);
        return nullptr;
    }
    const qelXFontEntry* entry = md->findXFont(codedFontName, true);
    if (!entry)
        return nullptr;
    auto* font = new qelAFPFont(codedFontName);
    font->qelRes::setName(codedFontName);
    font->setCharacterSetName(entry->charSetName);
    font->setCodePageName(entry->codePageName);
    qelAFPFont::applyDefaultFontNames(font);
    defaultTypeface(font);
    const std::string characterSetName = copyOf(font->getCharacterSetName());
    if (!completeNewFont(font, orNull(characterSetName, font->getCharacterSetName() != nullptr))) {
        delete font;
        return nullptr;
    }
    return font;
}

void qelFileFontMapper::mapFont(qelAFPFont* font, int steps)
{
    if (!font)
        return;
    try {
        if (steps & TARGET_CODED_FONTS) {
            const char* name = font->getCodedFontName();
            const std::string copy = copyOf(name);
            applyXFontEntry(orNull(copy, name != nullptr), font);
        }
        if (steps & STEP_CHARSET) {
            const char* name = font->getCharacterSetName();
            const std::string copy = copyOf(name);
            applyCharSetEntry(orNull(copy, name != nullptr), font);
        }
        if (steps & STEP_FGID) {
            const char* fgid = font->getFGID();
            const std::string copy = copyOf(fgid);
            applyFGIDEntry(orNull(copy, fgid != nullptr), font);
        }
        if (steps & TARGET_RASTER) {
            const char* name = font->getFontName();
            const std::string copy = copyOf(name);
            applyOutputFontEntry(orNull(copy, name != nullptr), font);
        }
        if (steps & STEP_INPUT_ALIASES) {
            const char* name = font->getFontName();
            const std::string copy = copyOf(name);
            applyInputFontAliases(orNull(copy, name != nullptr), font);
        }
    } catch (qelException* e) {
        delete e;
    }
}

void qelFileFontMapper::applyXFontEntry(const char* codedFontName, qelAFPFont* font)
{
    qelMappingDef* md = definition();
    if (!md || !codedFontName || !font || (codedFontName[0] != 'X' && codedFontName[0] != 'x'))
        return;
    const qelXFontEntry* entry = md->findXFont(codedFontName, fallbackFor(font));
    if (!entry)
        return;
    font->setCharacterSetName(entry->charSetName);
    font->setCodePageName(entry->codePageName);
}

void qelFileFontMapper::applyCharSetEntry(const char* characterSetName, qelAFPFont* font)
{
    qelMappingDef* md = loadedDefinition();
    if (!md || !characterSetName || !font)
        return;
    const qelCharSetEntry* entry = md->findCharSet(characterSetName, fallbackFor(font));
    if (!entry)
        return;
    if (isDefault(characterSetName) || !isDefault(entry->charSetName)) {
        font->setHeight(entry->height);
        font->setWidth(entry->width);
    } else {
        warn("Warning! Character set %s not found in mapping.def, using DEFAULT CS.", characterSetName);
        if (font->getHeight() < 1 && entry->height >= 0)
            font->setHeight(entry->height);
        if (font->getWidth() < 1 && entry->width >= 0)
            font->setWidth(entry->width);
    }
    font->setStrikeover(entry->strikeover != 0);
    font->setUnderline(entry->underline != 0);
    font->setFGID(entry->fgid);
}

void qelFileFontMapper::applyFGIDEntry(const char* fgid, qelAFPFont* font)
{
    qelMappingDef* md = loadedDefinition();
    if (!md || !fgid || !font)
        return;
    const qelFGIDEntry* entry = md->findFGID(fgid, fallbackFor(font));
    if (!entry)
        return;
    if (isDefault(font->getCharacterSetName()) || !isDefault(entry->fgid)) {
        font->setFGID(fgid);
        font->setFamilyName(entry->familyName);
        font->setWeightClass(entry->weight);
        font->setLightClass(entry->weight);
        font->setItalic(entry->italic != 0);
    } else {
        if (isEmpty(font->getFGID()))
            font->setFGID(fgid);
        if (!font->getFamilyName())
            font->setFamilyName(entry->familyName);
        if (font->getFontName())
            return;
    }
    font->setFontName(entry->fontName);
    font->setTypefaceName(entry->fontName);
}

void qelFileFontMapper::applyOutputFontEntry(const char* fontName, qelAFPFont* font)
{
    qelMappingDef* md = loadedDefinition();
    if (!md || !fontName || !font)
        return;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIni* ini = pool ? pool->getIni() : nullptr;
    if (ini && ini->getOutputFormat() == 1 && ini->isCodedOutput()) {
        applyOutputFonts(font);
        return;
    }
    const qelOutputFontEntry* entry = md->findOutputFontEntry(fontName, fallbackFor(font));
    if (!entry)
        return;
    font->setFontName(entry->outputName);
    font->setAliasNames(entry->aliases);
}

void qelFileFontMapper::applyOutputFonts(qelAFPFont* font)
{
    qelMappingDef* md = loadedDefinition();
    if (!md || !font)
        return;
    const float height = static_cast<float>(font->getHeight());
    const bool bold = font->isBold();
    const int style = bold ? 2 : 0;
    const bool italic = font->isItalic();
    const std::string family = copyOf(font->getFamilyName());
    const std::string typeface = copyOf(font->getTypefaceName());
    const char* familyName = orNull(family, font->getFamilyName() != nullptr);
    const char* typefaceName = orNull(typeface, font->getTypefaceName() != nullptr);

    const qelAFPFontEntry* entry = md->findAFPFont(typefaceName, familyName, style, italic, height);
    if (entry && entry->codedFontName[0]) {
        font->setPhysicalFont(height, entry->codedFontName, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0,
                              qelPhysicalFont::SOURCE_MAPPING);
        font->setCodedFontFound(true);
        return;
    }
    if (entry) {
        font->setPhysicalFont(height, nullptr, entry->charSetName, entry->codePageName, nullptr, nullptr, nullptr,
                              nullptr, 0, qelPhysicalFont::SOURCE_MAPPING);
    } else if (font->getKind() == qelAFPFont::KIND_TYPE3) {
        const std::string codedFont = copyOf(font->getCodedFontName());
        const std::string characterSet = copyOf(font->getCharacterSetName());
        const std::string codePage = copyOf(font->getCodePageName());
        font->setPhysicalFont(height, codedFont.c_str(), characterSet.c_str(), codePage.c_str(), nullptr, nullptr,
                              nullptr, nullptr, 0, qelPhysicalFont::SOURCE_MAPPING);
        return;
    } else if (const qelAFPFontEntry* standIn = md->findAFPFont("DEFAULT", familyName, style, italic, height)) {
        font->setPhysicalFont(height, standIn->codedFontName, standIn->charSetName, standIn->codePageName, nullptr,
                              nullptr, nullptr, nullptr, 0, qelPhysicalFont::SOURCE_MAPPING_DEFAULT);
    } else {
        font->setPhysicalFont(height, nullptr, fallbackCharacterSet(bold, italic), "T1001141", nullptr, nullptr,
                              nullptr, nullptr, 0, qelPhysicalFont::SOURCE_BUILT_IN);
    }
    font->setCharacterSetFound(true);
    font->setCodePageFound(true);
}

void qelFileFontMapper::applyInputFontAliases(const char* fontName, qelAFPFont* font)
{
    qelMappingDef* md = loadedDefinition();
    if (!md || !fontName || !font)
        return;
    const qelInputAliasEntry* entry = md->findExternalFont(fontName, fallbackFor(font));
    if (entry)
        font->setAliasNames(entry->aliases);
}

qelCodePageEntry* qelFileFontMapper::findCodePageEntry(const char* codePageName, bool fallback) const
{
    qelMappingDef* md = definition();
    return md && codePageName ? md->findCodePage(codePageName, fallback) : nullptr;
}

const char* qelFileFontMapper::getXFontCodePageName(const char* codedFontName) const
{
    qelMappingDef* md = definition();
    const qelXFontEntry* entry = md && codedFontName ? md->findXFont(codedFontName, true) : nullptr;
    return entry ? entry->codePageName : "";
}

const char* qelFileFontMapper::getCodePageNameOfFile(const char* fileField) const
{
    qelMappingDef* md = definition();
    const qelCodePageEntry* entry = md && fileField ? md->findCodePageByFile(fileField) : nullptr;
    return entry ? entry->codePageName : nullptr;
}
