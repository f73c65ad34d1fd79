#include "qelGlobalDSPool.h"

#include "qelImImageParser.h"
#include "qelIocaParser.h"

#include "qel2DDataMatrixBarcodeImplementor.h"
#include "qelBarcodeParser.h"
#include "qelAEGParser.h"
#include "qelCODE128BarcodeImplementor.h"
#include "qelCODE39BarcodeImplementor.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelPageCoordinateTransformer.h"
#include "qelFontMapper.h"
#include "qelGcgidUnicodeMap.h"
#include "qelGlobalRes.h"
#include "qelHashIdMap.h"
#include "qelIndexList.h"
#include "qelMFMCache.h"
#include "qelMappingDef.h"
#include "qelNOPList.h"
#include "qelPresentationTextParser.h"
#include "qelPSEGParser.h"
#include "qelFormDefParser.h"
#include "qelResParser.h"
#include "qelCharSetParser.h"
#include "qelCodePageParser.h"
#include "qelCodedFontParser.h"
#include "qelGocaParser.h"
#include "qelObjectContainerParser.h"
#include "qelOverlayParser.h"
#include "qelResGroupParser.h"
#include "qelTripletParser.h"
#include "qelModcaParser.h"
#include "qelPageParser.h"
#include "qelAFPDocumentIndexParser.h"
#include "qelPageObjectLists.h"

#include <memory>
#include <new>
#include <strings.h>

namespace {
qelGlobalDSPool* g_pool = nullptr;
unsigned char g_poolExists = 0;

// Deletes a member after emptying its place, so that nothing reached during
// the deletion sees a dangling member.
template <typename T>
void dropMember(T*& member)
{
    T* old = member;
    member = nullptr;
    delete old;
}

bool isResourceParserKind(int kind)
{
    switch (kind) {
    case QEL_POOL_CHARSET_PARSER:
    case QEL_POOL_CODE_PAGE_PARSER:
    case QEL_POOL_CODED_FONT_PARSER:
    case QEL_POOL_FORM_DEF_PARSER:
    case QEL_POOL_GOCA_PARSER:
    case QEL_POOL_OBJECT_CONTAINER_PARSER:
    case QEL_POOL_OVERLAY_PARSER:
    case QEL_POOL_PAGE_SEGMENT_PARSER:
        return true;
    default:
        return false;
    }
}
}

qelGlobalDSPool* qelGlobalDSPool::getInstance()
{
    if (!g_pool)
        g_pool = new (std::nothrow) qelGlobalDSPool();
    return g_pool;
}

bool qelGlobalDSPool::exists()
{
    return g_poolExists != 0;
}

qelGlobalDSPool::qelGlobalDSPool()
{
    g_poolExists = 1;
}

qelGlobalDSPool::~qelGlobalDSPool()
{
    // Location readers first: closing them still writes to the log.
    while (!m_resourceStreams.empty()) {
        qelIOStream* reader = m_resourceStreams.back();
        m_resourceStreams.pop_back();
        delete reader;
    }
    // The document parser next: it hands back the parsers it used.
    dropMember(m_modcaParser);
    dropMember(m_pageParser);
    dropMember(m_documentIndexParser);
    dropMember(m_pageObjectLists);
    // The resource list first: its resources may still be reached through
    // the other members while they go.
    if (m_globalRes)
        m_globalRes->clear();
    dropMember(m_globalRes);
    dropMember(m_indexList);
    dropMember(m_nopList);
    dropMember(m_hashIdMap);
    for (qelResParser*& parser : m_resourceParsers)
        dropMember(parser);
    dropMember(m_aegParser);
    dropMember(m_iocaParser);
    dropMember(m_imImageParser);
    dropMember(m_presentationTextParser);
    dropMember(m_resGroupParser);
    dropMember(m_barcodeParser);
    dropMember(m_tripletParser);
    dropMember(m_fileFontMapper);
    dropMember(m_arrayFontMapper);
    dropMember(m_fontMetricCache);
    dropMember(m_mappingDef);
    dropMember(m_code128Implementor);
    dropMember(m_gcgidUnicodeMap);
    dropMember(m_code39Implementor);
    dropMember(m_dataMatrixImplementor);
    dropMember(m_ini);
    dropMember(m_logStream);
    dropMember(m_pageCoordinateTransformer);
    delete[] m_pageOffset;
    m_pageOffset = nullptr;
    g_poolExists = 0;
    if (g_pool == this)
        g_pool = nullptr;
}

qelIOStream* qelGlobalDSPool::openResourceStream(const char* name)
{
    if (!name)
        return nullptr;
    for (qelIOStream* reader : m_resourceStreams) {
        const char* open = reader->getStream() ? reader->getName() : nullptr;
        if (open && strcasecmp(open, name) == 0)
            return reader;
    }
    qelIOStream* reader = openLocationStream(name);
    if (reader)
        m_resourceStreams.push_back(reader);
    return reader;
}

void qelGlobalDSPool::addResourceStream(qelIOStream* reader)
{
    if (reader)
        m_resourceStreams.push_back(reader);
}

qelIOStream* qelGlobalDSPool::openLocationStream(const char* name)
{
    qelIni* ini = getIni();
    qelLogicalLocation* location = name && ini ? ini->findLogicalLocation(name) : nullptr;
    if (!location)
        return nullptr;
    std::unique_ptr<qelIOStream> reader(new (std::nothrow) qelIOStream());
    if (!reader)
        return nullptr;
    reader->openLocation(location);
    // A location kind without a reader gives none.
    return reader->getStream() ? reader.release() : nullptr;
}

qelIni* qelGlobalDSPool::getIni()
{
    if (!m_ini) {
        qelIni* ini = new (std::nothrow) qelIni();
        if (!ini)
            return nullptr;
        m_ini = ini;
        m_ini->addDefaultColorTable();
    }
    return m_ini;
}

qelLogStream* qelGlobalDSPool::getLogStream()
{
    if (!m_logStream)
        m_logStream = new (std::nothrow) qelLogStream();
    return m_logStream;
}

qelPageCoordinateTransformer* qelGlobalDSPool::getPageCoordinateTransformer()
{
    if (!m_pageCoordinateTransformer)
        m_pageCoordinateTransformer = new (std::nothrow) qelPageCoordinateTransformer();
    return m_pageCoordinateTransformer;
}

int32_t* qelGlobalDSPool::getPageOffset()
{
    if (!m_pageOffset)
        m_pageOffset = new (std::nothrow) int32_t[2]{0, 0};
    return m_pageOffset;
}

qelGlobalRes* qelGlobalDSPool::getGlobalRes()
{
    if (!m_globalRes)
        m_globalRes = new qelGlobalRes();
    return m_globalRes;
}

qelIndexList* qelGlobalDSPool::getIndexList()
{
    if (!m_indexList)
        m_indexList = new (std::nothrow) qelIndexList();
    return m_indexList;
}

qelNOPList* qelGlobalDSPool::getNOPList()
{
    if (!m_nopList)
        m_nopList = new qelNOPList();
    return m_nopList;
}

qelHashIdMap* qelGlobalDSPool::getHashIdMap()
{
    if (!m_hashIdMap)
        m_hashIdMap = new qelHashIdMap();
    return m_hashIdMap;
}

qelTripletParser* qelGlobalDSPool::getTripletParser()
{
    if (!m_tripletParser)
        m_tripletParser = new qelTripletParser();
    return m_tripletParser;
}

void qelGlobalDSPool::setMappingDef(qelMappingDef* definition)
{
    if (definition != m_mappingDef)
        dropMember(m_mappingDef);
    m_mappingDef = definition;
}

qelGcgidUnicodeMap* qelGlobalDSPool::getGcgidUnicodeMap()
{
    if (!m_gcgidUnicodeMap)
        m_gcgidUnicodeMap = new qelGcgidUnicodeMap();
    return m_gcgidUnicodeMap;
}

qelFileFontMapper* qelGlobalDSPool::getFileFontMapper()
{
    if (!m_fileFontMapper)
        m_fileFontMapper = new (std::nothrow) qelFileFontMapper();
    return m_fileFontMapper;
}

qelArrayFontMapper* qelGlobalDSPool::getArrayFontMapper()
{
    if (!m_arrayFontMapper)
        m_arrayFontMapper = new (std::nothrow) qelArrayFontMapper();
    return m_arrayFontMapper;
}

qelMFMCache* qelGlobalDSPool::getFontMetricCache()
{
    if (!m_fontMetricCache)
        m_fontMetricCache = new (std::nothrow) qelMFMCache();
    return m_fontMetricCache;
}

void qelGlobalDSPool::setFileFontMapper(qelFileFontMapper* mapper)
{
    if (mapper != m_fileFontMapper)
        dropMember(m_fileFontMapper);
    m_fileFontMapper = mapper;
}

void qelGlobalDSPool::setArrayFontMapper(qelArrayFontMapper* mapper)
{
    if (mapper != m_arrayFontMapper)
        dropMember(m_arrayFontMapper);
    m_arrayFontMapper = mapper;
}

qelResParser* qelGlobalDSPool::getResourceParser(int kind) const
{
    return isResourceParserKind(kind) ? m_resourceParsers[kind - QEL_POOL_CHARSET_PARSER] : nullptr;
}

void qelGlobalDSPool::setResourceParser(int kind, qelResParser* parser)
{
    if (!isResourceParserKind(kind)) {
        delete parser;
        return;
    }
    qelResParser*& slot = m_resourceParsers[kind - QEL_POOL_CHARSET_PARSER];
    if (parser != slot)
        dropMember(slot);
    slot = parser;
}

qelResParser* qelGlobalDSPool::getPageSegmentParser()
{
    if (!getResourceParser(QEL_POOL_PAGE_SEGMENT_PARSER))
        setResourceParser(QEL_POOL_PAGE_SEGMENT_PARSER, new (std::nothrow) qelPSEGParser());
    return getResourceParser(QEL_POOL_PAGE_SEGMENT_PARSER);
}

qelResParser* qelGlobalDSPool::getFormDefParser()
{
    if (!getResourceParser(QEL_POOL_FORM_DEF_PARSER))
        setResourceParser(QEL_POOL_FORM_DEF_PARSER, new (std::nothrow) qelFormDefParser());
    return getResourceParser(QEL_POOL_FORM_DEF_PARSER);
}

qelCharSetParser* qelGlobalDSPool::getCharSetParser()
{
    if (!getResourceParser(QEL_POOL_CHARSET_PARSER))
        setResourceParser(QEL_POOL_CHARSET_PARSER, new (std::nothrow) qelCharSetParser());
    return dynamic_cast<qelCharSetParser*>(getResourceParser(QEL_POOL_CHARSET_PARSER));
}

qelResParser* qelGlobalDSPool::getCodedFontParser()
{
    if (!getResourceParser(QEL_POOL_CODED_FONT_PARSER))
        setResourceParser(QEL_POOL_CODED_FONT_PARSER, new (std::nothrow) qelCodedFontParser());
    return getResourceParser(QEL_POOL_CODED_FONT_PARSER);
}

qelResParser* qelGlobalDSPool::getCodePageParser()
{
    if (!getResourceParser(QEL_POOL_CODE_PAGE_PARSER))
        setResourceParser(QEL_POOL_CODE_PAGE_PARSER, new (std::nothrow) qelCodePageParser());
    return getResourceParser(QEL_POOL_CODE_PAGE_PARSER);
}

qelResParser* qelGlobalDSPool::getGocaParser()
{
    if (!getResourceParser(QEL_POOL_GOCA_PARSER))
        setResourceParser(QEL_POOL_GOCA_PARSER, new (std::nothrow) qelGocaParser());
    return getResourceParser(QEL_POOL_GOCA_PARSER);
}

qelResParser* qelGlobalDSPool::getObjectContainerParser()
{
    if (!getResourceParser(QEL_POOL_OBJECT_CONTAINER_PARSER))
        setResourceParser(QEL_POOL_OBJECT_CONTAINER_PARSER, new (std::nothrow) qelObjectContainerParser());
    return getResourceParser(QEL_POOL_OBJECT_CONTAINER_PARSER);
}

qelResParser* qelGlobalDSPool::getOverlayParser()
{
    if (!getResourceParser(QEL_POOL_OVERLAY_PARSER))
        setResourceParser(QEL_POOL_OVERLAY_PARSER, new (std::nothrow) qelOverlayParser());
    return getResourceParser(QEL_POOL_OVERLAY_PARSER);
}

qelIocaParser* qelGlobalDSPool::getIocaParser()
{
    if (!m_iocaParser)
        m_iocaParser = new (std::nothrow) qelIocaParser();
    return m_iocaParser;
}

qelImImageParser* qelGlobalDSPool::getImImageParser()
{
    if (!m_imImageParser)
        m_imImageParser = new (std::nothrow) qelImImageParser();
    return m_imImageParser;
}

qelResGroupParser* qelGlobalDSPool::getResGroupParser()
{
    if (!m_resGroupParser)
        m_resGroupParser = new (std::nothrow) qelResGroupParser();
    return m_resGroupParser;
}

qelCODE128BarcodeImplementor* qelGlobalDSPool::getCode128Implementor()
{
    if (!m_code128Implementor)
        m_code128Implementor = new (std::nothrow) qelCODE128BarcodeImplementor();
    return m_code128Implementor;
}

qelCODE39BarcodeImplementor* qelGlobalDSPool::getCode39Implementor()
{
    if (!m_code39Implementor)
        m_code39Implementor = new (std::nothrow) qelCODE39BarcodeImplementor();
    return m_code39Implementor;
}

qel2DDataMatrixBarcodeImplementor* qelGlobalDSPool::getDataMatrixImplementor()
{
    if (!m_dataMatrixImplementor)
        m_dataMatrixImplementor = new (std::nothrow) qel2DDataMatrixBarcodeImplementor();
    return m_dataMatrixImplementor;
}

qelBarcodeParser* qelGlobalDSPool::getBarcodeParser()
{
    if (!m_barcodeParser)
        m_barcodeParser = new (std::nothrow) qelBarcodeParser();
    return m_barcodeParser;
}

qelAEGParser* qelGlobalDSPool::getAEGParser()
{
    if (!m_aegParser)
        m_aegParser = new qelAEGParser();
    return m_aegParser;
}

qelPresentationTextParser* qelGlobalDSPool::getPresentationTextParser()
{
    if (!m_presentationTextParser)
        m_presentationTextParser = new qelPresentationTextParser();
    return m_presentationTextParser;
}

qelModcaParser* qelGlobalDSPool::getModcaParser()
{
    if (!m_modcaParser)
        m_modcaParser = new qelModcaParser();
    return m_modcaParser;
}

qelPageParser* qelGlobalDSPool::getPageParser()
{
    if (!m_pageParser)
        m_pageParser = new qelPageParser();
    return m_pageParser;
}

qelAFPDocumentIndexParser* qelGlobalDSPool::getDocumentIndexParser()
{
    if (!m_documentIndexParser)
        m_documentIndexParser = new qelAFPDocumentIndexParser();
    return m_documentIndexParser;
}

qelPageObjectLists* qelGlobalDSPool::getPageParserContext()
{
    if (!m_pageObjectLists)
        m_pageObjectLists = new qelPageObjectLists();
    return m_pageObjectLists;
}

bool qelGlobalDSPool::hasObject(int kind) const
{
    if (isResourceParserKind(kind))
        return getResourceParser(kind) != nullptr;
    switch (kind) {
    case QEL_POOL_GLOBAL_RES:
        return m_globalRes != nullptr;
    case QEL_POOL_INDEX_LIST:
        return m_indexList != nullptr;
    case QEL_POOL_NOP_LIST:
        return m_nopList != nullptr;
    case QEL_POOL_HASH_ID_MAP:
        return m_hashIdMap != nullptr;
    case QEL_POOL_TRIPLET_PARSER:
        return m_tripletParser != nullptr;
    case QEL_POOL_MODCA_PARSER:
        return m_modcaParser != nullptr;
    case QEL_POOL_PAGE_PARSER:
        return m_pageParser != nullptr;
    case QEL_POOL_DOCUMENT_INDEX_PARSER:
        return m_documentIndexParser != nullptr;
    case QEL_POOL_PAGE_OBJECT_LISTS:
        return m_pageObjectLists != nullptr;
    case QEL_POOL_AEG_PARSER:
        return m_aegParser != nullptr;
    case QEL_POOL_IOCA_PARSER:
        return m_iocaParser != nullptr;
    case QEL_POOL_IM_IMAGE_PARSER:
        return m_imImageParser != nullptr;
    case QEL_POOL_PRESENTATION_TEXT_PARSER:
        return m_presentationTextParser != nullptr;
    case QEL_POOL_RES_GROUP_PARSER:
        return m_resGroupParser != nullptr;
    case QEL_POOL_MAPPING_DEF:
        return m_mappingDef != nullptr;
    case QEL_POOL_GCGID_UNICODE_MAP:
        return m_gcgidUnicodeMap != nullptr;
    case QEL_POOL_FILE_FONT_MAPPER:
        return m_fileFontMapper != nullptr;
    case QEL_POOL_ARRAY_FONT_MAPPER:
        return m_arrayFontMapper != nullptr;
    case QEL_POOL_FONT_METRIC_CACHE:
        return m_fontMetricCache != nullptr;
    case QEL_POOL_CODE128_IMPLEMENTOR:
        return m_code128Implementor != nullptr;
    case QEL_POOL_CODE39_IMPLEMENTOR:
        return m_code39Implementor != nullptr;
    case QEL_POOL_DATA_MATRIX_IMPLEMENTOR:
        return m_dataMatrixImplementor != nullptr;
    case QEL_POOL_BARCODE_PARSER:
        return m_barcodeParser != nullptr;
    case QEL_POOL_INI:
        return m_ini != nullptr;
    case QEL_POOL_LOG_STREAM:
        return m_logStream != nullptr;
    case QEL_POOL_PAGE_OFFSET:
        return m_pageOffset != nullptr;
    case QEL_POOL_PAGE_COORDINATE_TRANSFORMER:
        return m_pageCoordinateTransformer != nullptr;
    default:
        // Kinds whose members are not held yet, and numbers naming no member.
        return false;
    }
}

void qelGlobalDSPool::resetObject(int kind)
{
    if (isResourceParserKind(kind)) {
        dropMember(m_resourceParsers[kind - QEL_POOL_CHARSET_PARSER]);
        return;
    }
    switch (kind) {
    case QEL_POOL_GLOBAL_RES:
        if (m_globalRes)
            m_globalRes->clear();
        dropMember(m_globalRes);
        break;
    case QEL_POOL_INDEX_LIST:
        dropMember(m_indexList);
        break;
    case QEL_POOL_NOP_LIST:
        dropMember(m_nopList);
        break;
    case QEL_POOL_HASH_ID_MAP:
        dropMember(m_hashIdMap);
        break;
    case QEL_POOL_TRIPLET_PARSER:
        dropMember(m_tripletParser);
        break;
    case QEL_POOL_MODCA_PARSER:
        dropMember(m_modcaParser);
        break;
    case QEL_POOL_PAGE_PARSER:
        dropMember(m_pageParser);
        break;
    case QEL_POOL_DOCUMENT_INDEX_PARSER:
        dropMember(m_documentIndexParser);
        break;
    case QEL_POOL_PAGE_OBJECT_LISTS:
        dropMember(m_pageObjectLists);
        break;
    case QEL_POOL_AEG_PARSER:
        dropMember(m_aegParser);
        break;
    case QEL_POOL_IOCA_PARSER:
        dropMember(m_iocaParser);
        break;
    case QEL_POOL_IM_IMAGE_PARSER:
        dropMember(m_imImageParser);
        break;
    case QEL_POOL_PRESENTATION_TEXT_PARSER:
        dropMember(m_presentationTextParser);
        break;
    case QEL_POOL_RES_GROUP_PARSER:
        dropMember(m_resGroupParser);
        break;
    case QEL_POOL_MAPPING_DEF:
        dropMember(m_mappingDef);
        break;
    case QEL_POOL_GCGID_UNICODE_MAP:
        dropMember(m_gcgidUnicodeMap);
        break;
    case QEL_POOL_FILE_FONT_MAPPER:
        dropMember(m_fileFontMapper);
        break;
    case QEL_POOL_ARRAY_FONT_MAPPER:
        dropMember(m_arrayFontMapper);
        break;
    case QEL_POOL_FONT_METRIC_CACHE:
        dropMember(m_fontMetricCache);
        break;
    case QEL_POOL_CODE128_IMPLEMENTOR:
        dropMember(m_code128Implementor);
        break;
    case QEL_POOL_CODE39_IMPLEMENTOR:
        dropMember(m_code39Implementor);
        break;
    case QEL_POOL_DATA_MATRIX_IMPLEMENTOR:
        dropMember(m_dataMatrixImplementor);
        break;
    case QEL_POOL_BARCODE_PARSER:
        dropMember(m_barcodeParser);
        break;
    case QEL_POOL_INI:
        dropMember(m_ini);
        break;
    case QEL_POOL_LOG_STREAM:
        dropMember(m_logStream);
        break;
    case QEL_POOL_PAGE_OFFSET:
        delete[] m_pageOffset;
        m_pageOffset = nullptr;
        break;
    case QEL_POOL_PAGE_COORDINATE_TRANSFORMER:
        dropMember(m_pageCoordinateTransformer);
        break;
    default:
        break;
    }
}
