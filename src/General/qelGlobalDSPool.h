#ifndef QEL_GLOBAL_DS_POOL_H
#define QEL_GLOBAL_DS_POOL_H

#include <cstdint>
#include <vector>

class qel2DDataMatrixBarcodeImplementor;
class qelBarcodeParser;
class qelCODE128BarcodeImplementor;
class qelCODE39BarcodeImplementor;
class qelIni;
class qelIOStream;
class qelLogStream;
class qelPageCoordinateTransformer;
class qelGlobalRes;
class qelIndexList;
class qelNOPList;
class qelHashIdMap;
class qelTripletParser;
class qelMappingDef;
struct qelGcgidUnicodeMap;
class qelFileFontMapper;
class qelArrayFontMapper;
class qelMFMCache;
class qelResParser;
class qelCharSetParser;
class qelModcaParser;
class qelPageParser;
class qelAFPDocumentIndexParser;
class qelPageObjectLists;
class qelAEGParser;
class qelIocaParser;
class qelImImageParser;
class qelPresentationTextParser;
class qelResGroupParser;

// Numbers by which hasObject and resetObject address the pool's members.
// 1, 34, 37 and 45 and above name no member.
enum qelPoolObjectKind
{
    QEL_POOL_INI = 0,
    QEL_POOL_LOG_STREAM = 2,
    QEL_POOL_GLOBAL_RES = 3,
    QEL_POOL_INDEX_LIST = 4,
    QEL_POOL_NOP_LIST = 5,
    QEL_POOL_FONT_METRIC_CACHE = 6,
    QEL_POOL_HASH_ID_MAP = 7,
    QEL_POOL_INDEX_FILE = 8,
    QEL_POOL_PAGE_OFFSET = 9,
    QEL_POOL_PAGE_COORDINATE_TRANSFORMER = 10,
    QEL_POOL_MAPPING_DEF = 11,
    QEL_POOL_GCGID_UNICODE_MAP = 12,
    QEL_POOL_ARRAY_FONT_MAPPER = 13,
    QEL_POOL_FILE_FONT_MAPPER = 14,
    QEL_POOL_AFP_SPOOL = 15,
    QEL_POOL_AEG_PARSER = 16,
    QEL_POOL_CHARSET_PARSER = 17,
    QEL_POOL_CODE_PAGE_PARSER = 18,
    QEL_POOL_CODED_FONT_PARSER = 19,
    QEL_POOL_FORM_DEF_PARSER = 20,
    QEL_POOL_IM_IMAGE_PARSER = 21,
    QEL_POOL_IOCA_PARSER = 22,
    QEL_POOL_MODCA_PARSER = 23,
    QEL_POOL_GOCA_PARSER = 24,
    QEL_POOL_OBJECT_CONTAINER_PARSER = 25,
    QEL_POOL_OVERLAY_PARSER = 26,
    QEL_POOL_PAGE_SEGMENT_PARSER = 27,
    QEL_POOL_PAGE_PARSER = 28,
    QEL_POOL_PRESENTATION_TEXT_PARSER = 29,
    QEL_POOL_RES_GROUP_PARSER = 30,
    QEL_POOL_DOCUMENT_INDEX_PARSER = 31,
    QEL_POOL_TIFF_PARSER = 32,
    QEL_POOL_TRIPLET_PARSER = 33,
    QEL_POOL_BARCODE_PARSER = 35,
    QEL_POOL_PAGE_OBJECT_LISTS = 36,
    QEL_POOL_CODE128_IMPLEMENTOR = 38,
    QEL_POOL_DATA_MATRIX_IMPLEMENTOR = 39,
    QEL_POOL_CODE39_IMPLEMENTOR = 40,
    QEL_POOL_PDF_DOCUMENT_PARSER = 41,
    QEL_POOL_RASTER_DOCUMENT_PARSER = 42,
    QEL_POOL_PAGE_DEF_PARSER = 43,
    QEL_POOL_MMD_DATA_PARSER = 44
};

// The one process-wide container of the objects that outlive a document.
// Created on first use; every member is created on first use by its getter
// and owned by the pool. Deleting the pool deletes what is left in it and
// lets the next getInstance build a fresh one.
class qelGlobalDSPool
{
public:
    // The pool, created on first use; null when it cannot be allocated.
    static qelGlobalDSPool* getInstance();
    // Whether a pool currently exists.
    static bool exists();

    qelGlobalDSPool();
    ~qelGlobalDSPool();
    qelGlobalDSPool(const qelGlobalDSPool&) = delete;
    qelGlobalDSPool& operator=(const qelGlobalDSPool&) = delete;

    // Options object with every default and the built-in colour table.
    qelIni* getIni();
    // Program log, closed, level mask from the options.
    qelLogStream* getLogStream();
    // Page coordinate transformer with its defaults.
    qelPageCoordinateTransformer* getPageCoordinateTransformer();
    // Default page offset (x, y), (0, 0) on first use; null without memory.
    int32_t* getPageOffset();

    // Global resource list, created empty on first use.
    qelGlobalRes* getGlobalRes();
    // Index sets of the run, created on first use.
    qelIndexList* getIndexList();
    // No-operation records waiting for their page, created on first use.
    qelNOPList* getNOPList();
    // Alias records of the run, created empty on first use.
    qelHashIdMap* getHashIdMap();
    // The triplet reader shared by the structured-field parsers, created on
    // first use.
    qelTripletParser* getTripletParser();

    // Font mapping definition, font mappers and resource parsers: held once
    // installed (the pool takes them over); null while none is installed.
    qelMappingDef* getMappingDef() const { return m_mappingDef; }
    void setMappingDef(qelMappingDef* definition);
    // Character-name table of the glyph name file, created empty on first use.
    qelGcgidUnicodeMap* getGcgidUnicodeMap();
    // Font mappers, created on first use (the installers replace them).
    qelFileFontMapper* getFileFontMapper();
    void setFileFontMapper(qelFileFontMapper* mapper);
    qelArrayFontMapper* getArrayFontMapper();
    void setArrayFontMapper(qelArrayFontMapper* mapper);
    // Cache of MFM metrics records, created on first use.
    qelMFMCache* getFontMetricCache();
    // Parser kinds: QEL_POOL_CHARSET_PARSER, _CODE_PAGE_, _CODED_FONT_,
    // _FORM_DEF_, _GOCA_, _OBJECT_CONTAINER_, _OVERLAY_, _PAGE_SEGMENT_PARSER.
    qelResParser* getResourceParser(int kind) const;
    void setResourceParser(int kind, qelResParser* parser);
    // Created on first use (an installed one is kept).
    qelResParser* getOverlayParser();
    // Created on first use (installed ones are kept).
    qelResParser* getPageSegmentParser();
    // Font resource parsers, created on first use (installed ones are kept).
    qelResParser* getCodedFontParser();
    qelCharSetParser* getCharSetParser();
    qelResParser* getCodePageParser();
    // Created on first use (an installed one is kept).
    qelResParser* getFormDefParser();
    // GOCA parser, created on first use.
    qelResParser* getGocaParser();
    // Object container parser, created on first use (an installed one is
    // kept).
    qelResParser* getObjectContainerParser();
    // Image object parsers, created on first use; null without memory.
    qelIocaParser* getIocaParser();
    qelImImageParser* getImImageParser();

    // Active environment group and presentation text parsers, created on
    // first use.
    qelAEGParser* getAEGParser();
    qelPresentationTextParser* getPresentationTextParser();
    // Resource group parser, created on first use.
    qelResGroupParser* getResGroupParser();

    // AFP document, page and document index parsers and the page parser's
    // work record, created on first use.
    qelModcaParser* getModcaParser();
    qelPageParser* getPageParser();
    qelAFPDocumentIndexParser* getDocumentIndexParser();
    qelPageObjectLists* getPageParserContext();

    // Bar code encoders, created on first use.
    qelCODE128BarcodeImplementor* getCode128Implementor();
    qelCODE39BarcodeImplementor* getCode39Implementor();
    qel2DDataMatrixBarcodeImplementor* getDataMatrixImplementor();
    // Bar code object parser, created on first use; null without memory.
    qelBarcodeParser* getBarcodeParser();

    // The reader of the logical location of that name (ignoring case): the
    // one opened before, else a new one kept by the pool; null when no
    // location has the name.
    qelIOStream* openResourceStream(const char* name);
    // Keeps a reader named after a logical location (the pool owns it).
    void addResourceStream(qelIOStream* reader);
    // A new reader opened on the logical location of that name (the caller
    // owns it); null when there is none.
    qelIOStream* openLocationStream(const char* name);

    bool hasObject(int kind) const;
    // Deletes the member of that kind; nothing for an empty member or a
    // number that names no member.
    void resetObject(int kind);

    int64_t getRunStartTime() const { return m_runStartTime; }
    void setRunStartTime(int64_t time) { m_runStartTime = time; }
    int64_t getLatestInputTime() const { return m_latestInputTime; }
    void setLatestInputTime(int64_t time) { m_latestInputTime = time; }

private:
    int64_t m_runStartTime = 0;
    int64_t m_latestInputTime = 0;
    // Readers of logical locations, owned.
    std::vector<qelIOStream*> m_resourceStreams;
    qelIni* m_ini = nullptr;
    qelLogStream* m_logStream = nullptr;
    qelPageCoordinateTransformer* m_pageCoordinateTransformer = nullptr;
    int32_t* m_pageOffset = nullptr;
    qelCODE128BarcodeImplementor* m_code128Implementor = nullptr;
    qelCODE39BarcodeImplementor* m_code39Implementor = nullptr;
    qel2DDataMatrixBarcodeImplementor* m_dataMatrixImplementor = nullptr;
    qelBarcodeParser* m_barcodeParser = nullptr;
    qelGlobalRes* m_globalRes = nullptr;
    qelIndexList* m_indexList = nullptr;
    qelNOPList* m_nopList = nullptr;
    qelHashIdMap* m_hashIdMap = nullptr;
    qelTripletParser* m_tripletParser = nullptr;
    qelModcaParser* m_modcaParser = nullptr;
    qelPageParser* m_pageParser = nullptr;
    qelAFPDocumentIndexParser* m_documentIndexParser = nullptr;
    qelPageObjectLists* m_pageObjectLists = nullptr;
    qelAEGParser* m_aegParser = nullptr;
    qelIocaParser* m_iocaParser = nullptr;
    qelImImageParser* m_imImageParser = nullptr;
    qelPresentationTextParser* m_presentationTextParser = nullptr;
    qelResGroupParser* m_resGroupParser = nullptr;
    qelMappingDef* m_mappingDef = nullptr;
    qelGcgidUnicodeMap* m_gcgidUnicodeMap = nullptr;
    qelFileFontMapper* m_fileFontMapper = nullptr;
    qelArrayFontMapper* m_arrayFontMapper = nullptr;
    qelMFMCache* m_fontMetricCache = nullptr;
    // Resource parsers by pool kind minus QEL_POOL_CHARSET_PARSER.
    qelResParser* m_resourceParsers[QEL_POOL_PAGE_SEGMENT_PARSER - QEL_POOL_CHARSET_PARSER + 1] = {};
};

#endif
