#include "qelCharSetParser.h"

#include "qelAFPCharMetrics.h"
#include "qelAFPFont.h"
#include "qelAFPFontMetrics.h"
#include "qelAFPFontParser.h"
#include "qelAFPFontRepresentation.h"
#include "qelCharacterWidthTable.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelMFMCache.h"
#include "qelPoolAccess.h"
#include "qelSFIBlock.h"

#include <cstring>
#include <memory>

namespace
{

using qelPoolAccess::logStream;
using qelPoolAccess::options;
using qelPoolAccess::quiet;

} // namespace

qelCharSetParser::qelCharSetParser() = default;

qelCharSetParser::~qelCharSetParser() = default;

void qelCharSetParser::initSearchPaths()
{
    prepareFontSearch(5);
}

qelRes* qelCharSetParser::parse(const char* name, int mode, const char* fileName)
{
    m_mode = mode;
    initSearchPaths();
    setNames(name, fileName);
    return readResource([this] {
        std::unique_ptr<qelAFPFont> font(parseCharacterSet());
        font->setLoadedFromCharSet(true);
        font->qelRes::setFileName(m_fileName.c_str());
        return font.release();
    });
}

qelAFPFont* qelCharSetParser::parseCharacterSet()
{
    std::unique_ptr<qelAFPFont> font(new qelAFPFont());
    font->qelRes::setName(m_resourceName.c_str());
    qelIOStream* in = qelIOStream::getCurrent();
    if (m_mode == MODE_LIBRARY && in && in->getStream())
        font->setLibraryName(in->getName());
    std::unique_ptr<qelAFPFontRepresentation> representation;
    {
        qelAFPFontParser reader;
        reader.setResourceName(m_resourceName.c_str());
        reader.setLogger(logStream());
        reader.setQuietMode(quiet());
        representation.reset(static_cast<qelAFPFontRepresentation*>(reader.parseStream(in)));
    }
    if (!representation)
        throw new qelException(__FILE__, __LINE__, qelMsg::E094, 0, true, m_resourceName.c_str());
    const uint16_t size = representation->getNominalVerticalSize();
    const bool outline = representation->isOutlineFont();
    const char* beginName = representation->getResourceName();
    const std::string alias = beginName ? beginName : "";
    representation->setHeight(size);
    font->setRepresentation(representation.release());
    if (!alias.empty())
        font->setAliasName(alias.c_str());
    font->setKind(outline ? qelAFPFont::KIND_OUTLINE : qelAFPFont::KIND_RASTER);
    font->setSize(size);
    qelIni* ini = options();
    if (ini && ini->isFontMetric())
        buildWidthTables(font.get());
    return font.release();
}

void qelCharSetParser::buildWidthTables(qelAFPFont* font)
{
    qelFontRepresentation* representation = font ? font->getRepresentation() : nullptr;
    if (!representation || representation->getType() != qelFontRepresentation::TYPE_AFP)
        return;
    auto* metrics = dynamic_cast<qelAFPFontMetrics*>(representation->getMetrics());
    qelCharMetrics** list = metrics ? metrics->getCharMetricsList() : nullptr;
    if (!list)
        return;
    qelCharacterWidthTable* tables[4] = {};
    std::unique_ptr<qelCharacterWidthTable> made[4];
    const int32_t* orientations = metrics->getOrientations();
    for (int32_t i = 0; i < metrics->getOrientationCount() && i < 4; ++i) {
        const int rotation = orientations[i];
        if (rotation < 0 || rotation > 3 || made[rotation])
            continue;
        made[rotation].reset(new qelCharacterWidthTable());
    }
    const int32_t count = metrics->getCharMetricsCount();
    for (int32_t i = 0; i < count && i < qelCharacterWidthTable::kEntries; ++i) {
        auto* entry = dynamic_cast<qelAFPCharMetrics*>(list[i]);
        if (!entry)
            continue;
        const char* gcgid = entry->getGlyphName();
        for (int rotation = 0; rotation < 4; ++rotation) {
            if (!made[rotation])
                continue;
            qelCharacterWidthTable::Entry& e = made[rotation]->entries[i];
            if (gcgid)
                std::strncpy(e.gcgid, gcgid, 8);
            e.width = entry->getCharIncrement(rotation);
        }
    }
    for (int rotation = 0; rotation < 4; ++rotation) {
        tables[rotation] = made[rotation].get();
        font->setCharMetricsTable(tables[rotation], rotation * 90);
    }
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelMFMCache* cache = pool ? pool->getFontMetricCache() : nullptr;
    if (!cache) {
        for (int rotation = 0; rotation < 4; ++rotation)
            font->setCharMetricsTable(nullptr, rotation * 90);
        return;
    }
    // The record has no name: the font's file name is set afterwards.
    for (std::unique_ptr<qelCharacterWidthTable>& table : made)
        table.release();
    cache->addCharSetTables(nullptr, tables);
}
