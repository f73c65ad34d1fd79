#ifndef QEL_INI_H
#define QEL_INI_H

#include <memory>
#include <string>
#include <vector>

class qelColorEntry;
class qelColorTable;
class qelOutputScale;
class qelLogicalLocation;
class qelSpoolFileType;

// Output format bits.
enum qelOutputFormat {
    QEL_OUT_AFP = 1, QEL_OUT_ASCII = 2, QEL_OUT_GIF = 4, QEL_OUT_HTML = 8, QEL_OUT_JPEG = 16,
    QEL_OUT_PDF = 32, QEL_OUT_PNG = 64, QEL_OUT_TIFF = 128, QEL_OUT_XML = 256, QEL_OUT_PDFA = 512,
    QEL_OUT_PCX = 2048
};

// Input format bits.
enum qelInputFormat {
    QEL_IN_AFP = 1, QEL_IN_ASCII = 2, QEL_IN_LPD = 4, QEL_IN_TIFF = 8, QEL_IN_PDF = 16, QEL_IN_JPEG = 32,
    QEL_IN_GIF = 64, QEL_IN_BMP = 128, QEL_IN_PCX = 256, QEL_IN_MMD = 512, QEL_IN_PNG = 1024
};

enum qelFileCreationMode {
    QEL_FCM_ALL = 0, QEL_FCM_DOC = 1, QEL_FCM_PAGE = 2, QEL_FCM_DOC_INDEX = 3, QEL_FCM_DOC_COLD = 4,
    QEL_FCM_DOC_MERGE = 5
};

// The options object: every setting of a conversion run. Created by the
// global pool with its defaults, then completed by addDefaultColorTable.
// Texts returned by getters and by getAttribute stay owned by the object.
class qelIni
{
public:
    qelIni();
    ~qelIni();
    qelIni(const qelIni&) = delete;
    qelIni& operator=(const qelIni&) = delete;

    // Completes creation: paths, the default colour table, the light colour
    // limit.
    void addDefaultColorTable();

    // Sets one setting by key (ignoring case). Returns 0 for a known key,
    // also when its value was rejected, and -1 for a null or unknown key.
    // The value is trimmed on a private copy.
    int setAttribute(const char* key, const char* value, bool fromIni = false);
    // One setting as text, or null. Numeric answers share one buffer that
    // the next call overwrites.
    const char* getAttribute(const char* key);

    // ---- Input and document selection
    int getInputFormat() const { return m_inputFormat; }
    void setInputFormat(const char* word);
    const char* getInputFormatName() const;
    bool isStdIn() const { return m_stdIn != 0; }
    bool isStdOut() const { return m_stdOut != 0; }
    void setIOMode(const char* word);
    const char* getSpoolFileType() const { return m_spoolFileType; }
    int getPageParse() const { return m_pageParse; }
    void setPageParse(int value) { m_pageParse = value; }
    int getStartingDocument() const { return m_startingDocument; }
    void setStartingDocument(int value) { m_startingDocument = value; }
    int getEndingDocument() const { return m_endingDocument; }
    void setEndingDocument(int value) { m_endingDocument = value; }
    int getStartingPage() const { return m_startingPage; }
    void setStartingPage(int value) { m_startingPage = value; }
    int getEndingPage() const { return m_endingPage; }
    void setEndingPage(int value) { m_endingPage = value; }
    bool isSkipPage() const { return m_skipPage != 0; }
    void setSkipPage(bool on) { m_skipPage = on; }
    unsigned int getSkipObjectSize() const { return m_skipObjectSize; }
    void setSkipObjectSize(unsigned int value) { m_skipObjectSize = value; }
    bool isStrict() const { return m_strict != 0; }
    void setStrict(bool on) { m_strict = on; }
    bool isAutoSplit() const { return m_autoSplit != 0; }
    void setAutoSplit(bool on) { m_autoSplit = on; }
    bool isQELNOP() const { return m_qelNop != 0; }
    void setQELNOP(bool on) { m_qelNop = on; }
    const char* getResourceGroup() const { return m_resourceGroup; }
    void setResourceGroup(const char* value);
    int getIPSPageResolution() const { return m_ipsPageResolution; }
    void setIPSPageResolution(int value) { m_ipsPageResolution = value; }

    // ---- Output
    int getOutputFormat() const { return m_outputFormat; }
    void setOutputFormat(const char* word);
    const char* getOutputFormatName() const;
    const char* getOutputExtension() const;
    int getFormatType() const { return m_formatType; }
    void setFormatType(const char* word);
    bool isDithered() const { return m_dithered != 0; }
    const char* getOutputFilePath() const { return m_outputFilePath; }
    void setOutputFilePath(const char* path);
    const char* getCustomFileExtension() const { return m_customFileExtension; }
    bool isCodedOutput() const { return m_codedOutput != 0; }
    void setCodedOutput(bool on) { m_codedOutput = on; }
    bool isColor() const { return m_color != 0; }
    void setColor(bool on) { m_color = on; }
    bool isCMYKTORGB() const { return m_cmykToRgb != 0; }
    void setCMYKTORGB(bool on) { m_cmykToRgb = on; }
    bool isPageOutput() const { return m_pageOutput != 0; }
    void setPageOutput(bool on) { m_pageOutput = on; }
    bool isMemoryOutputStream() const { return m_memoryOutputStream != 0; }
    void setMemoryOutputStream(bool on) { m_memoryOutputStream = on; }
    bool isLaunchPreview() const { return m_launchPreview != 0; }
    void setLaunchPreview(bool on) { m_launchPreview = on; }
    int getResolution() const { return m_resolution; }
    // Stores only a value above 0.
    void setResolution(int value);
    int getPageRotation() const { return m_pageRotation; }
    void setPageRotation(int value) { m_pageRotation = value; }
    void getOutputSize(float* width, float* height) const;
    void setOutputSize(float width, float height);
    const char* getOutputSizeName() const { return m_outputSizeName; }
    qelOutputScale* getOutputScale() const { return m_outputScale.get(); }
    qelOutputScale* getScaleToSize() const { return m_scaleToSize.get(); }
    bool isAutoRotateImage() const { return m_autoRotateImage != 0; }
    void setAutoRotateImage(bool on) { m_autoRotateImage = on; }
    bool isFontMetric() const { return m_fontMetric != 0; }

    // ---- File creation and naming
    int getFileCreationMode() const { return m_fileCreationMode; }
    void setFileCreationMode(const char* word);
    const char* getFilenamePattern() const { return m_filenamePattern; }
    // Stores a copy and marks it as given; null only drops the parsed form.
    void setFilenamePattern(const char* pattern);
    // An output name built from the pattern (delete[]), or null when the
    // pattern cannot be parsed.
    char* formatIndexId(long pageId, long documentId, const char* processId, const char* spoolName);
    bool isGenerateUniqueFile() const { return m_generateUniqueFile != 0; }
    void setGenerateUniqueFile(bool on) { m_generateUniqueFile = on; }
    int getDocumentCount() const { return m_documentCount; }
    void setDocumentCount(int value) { m_documentCount = value; }

    // ---- Paths, files and resources
    const char* getIniFilePath() const { return m_iniFilePath; }
    void setIniFilePath(const char* path);
    const char* getIniFilename() const { return m_iniFilename; }
    void setIniFilename(const char* name);
    const char* getLogPath() const { return m_logPath; }
    void setLogPath(const char* path);
    // The directory, verified on the first call (falls back to a default).
    const char* getResPath();
    void setResPath(const char* path);
    const char* getCpPath() const { return m_cpPath; }
    void setCpPath(const char* path);
    const char* getTempPath() const { return m_tempPath; }
    void setTempPath(const char* path);
    // TempPath becomes the system temporary directory.
    void setSystemTempPath();
    const char* getExtFontPath();
    void setExtFontPath(const char* path);
    const char* getMFMFontPath();
    void setMFMFontPath(const char* path);
    void setIndexPath(const char* path);

    // Resource search paths: the text as given, the parsed directories and
    // the list the INI reader supplied. A null text clears text and list.
    const char* getAFPFontPath() const { return m_afpFontPath.text; }
    void setAFPFontPath(const char* text);
    const std::vector<std::string>& getAFPFontPathList() const { return m_afpFontPath.list; }
    const char* getFormDefPath() const { return m_formDefPath.text; }
    void setFormDefPath(const char* text);
    const std::vector<std::string>& getFormDefPathList() const { return m_formDefPath.list; }
    const char* getPageDefPath() const { return m_pageDefPath.text; }
    void setPageDefPath(const char* text);
    const std::vector<std::string>& getPageDefPathList() const { return m_pageDefPath.list; }
    const char* getOverlayPath() const { return m_overlayPath.text; }
    void setOverlayPath(const char* text);
    const std::vector<std::string>& getOverlayPathList() const { return m_overlayPath.list; }
    const char* getPageSegmentPath() const { return m_pageSegmentPath.text; }
    void setPageSegmentPath(const char* text);
    const std::vector<std::string>& getPageSegmentPathList() const { return m_pageSegmentPath.list; }
    std::vector<std::string>& getIniAFPFontPathList() { return m_afpFontPath.iniList; }
    std::vector<std::string>& getIniFormDefPathList() { return m_formDefPath.iniList; }
    std::vector<std::string>& getIniPageDefPathList() { return m_pageDefPath.iniList; }
    std::vector<std::string>& getIniOverlayPathList() { return m_overlayPath.iniList; }
    std::vector<std::string>& getIniPageSegmentPathList() { return m_pageSegmentPath.iniList; }

    const char* getFormdefExt() const { return m_formdefExt; }
    const char* getPagedefExt() const { return m_pagedefExt; }
    const char* getOverlayExt() const { return m_overlayExt; }
    const char* getPageSegExt() const { return m_pageSegExt; }
    const char* getCharSetExt() const { return m_charSetExt; }
    const char* getCodePageExt() const { return m_codePageExt; }
    const char* getCodedFontExt() const { return m_codedFontExt; }
    const char* getFormdefFilename() const { return m_formdefFilename; }
    const char* getPagedefFilename() const { return m_pagedefFilename; }
    const char* getResourceGroupFilename() const { return m_resourceGroupFilename; }
    const char* getDocumentIndexFilename() const { return m_documentIndexFilename; }
    const char* getMappingDefFilename() const { return m_mappingDefFilename; }
    const char* getPDFParserConfFile() const { return m_pdfParserConfFile; }
    const char* getTransformationProfile() const { return m_transformationProfile; }
    void setTransformationProfile(const char* name);
    const char* getGcgidUnicodeFile() const { return m_gcgidUnicodeFile; }

    // ---- Fonts and text
    const char* getCodePage() const { return m_codePage; }
    unsigned char getCodePageDefaultChar() const { return m_codePageDefaultChar; }
    const char* getAlias() const { return m_alias; }
    int getFontResolution() const { return m_fontResolution; }
    void setFontResolution(int value) { m_fontResolution = value; }
    int getTTFontInterpreter() const { return m_ttFontInterpreter; }
    bool isFontAliasing() const { return m_fontAliasing != 0; }
    const char* getSpaceGlyphNames() const { return m_spaceGlyphNames; }
    float getPDFFontHeightFactor() const { return m_pdfFontHeightFactor; }
    void setPDFFontHeightFactor(float value) { m_pdfFontHeightFactor = value; }
    int getTextPresentationFidelity() const { return m_textPresentationFidelity; }
    unsigned char getMaxValueForSOCAResolve() const { return m_maxValueForSOCAResolve; }

    // ---- Colours, vectors and PDF input
    int getColorTableEntryCount() const { return static_cast<int>(m_colorTable.size()); }
    qelColorEntry* getColorTableEntry(int index) const;
    // The entry of that name (ignoring case), or null.
    qelColorEntry* findColorTableEntry(const char* name) const;
    // Adds an RGB entry or replaces the values of the entry of that name; a
    // bound of 0 means its default.
    qelColorEntry* addColorTableEntry(const char* name, unsigned char r, unsigned char g, unsigned char b,
                                      int grayLower = 0, int grayUpper = 0);
    unsigned char getColorTolerance() const { return m_colorTolerance; }
    void setColorTolerance(unsigned char value) { m_colorTolerance = value; }
    qelColorEntry* getLightColorLimit() const { return m_lightColorLimit.get(); }
    void setLightColorLimit(unsigned char r, unsigned char g, unsigned char b);
    float getColorMapPercentage() const { return m_colorMapPercentage; }
    int getCurveSamplingFactor() const { return m_curveSamplingFactor; }
    void setCurveSamplingFactor(int value) { m_curveSamplingFactor = value; }
    int getPrintableLineWidth() const { return m_printableLineWidth; }
    void setPrintableLineWidth(int value) { m_printableLineWidth = value; }
    int getGOCALineWidth() const { return m_gocaLineWidth; }
    void setGOCALineWidth(int value) { m_gocaLineWidth = value; }
    float getGOCALineWidthFactor() const { return m_gocaLineWidthFactor; }
    void setGOCALineWidthFactor(float value) { m_gocaLineWidthFactor = value; }
    int getMaxGraphicPrimitives() const { return m_maxGraphicPrimitives; }
    void setMaxGraphicPrimitives(int value) { m_maxGraphicPrimitives = value; }
    int getMaxVectorObjects() const { return m_maxVectorObjects; }
    void setMaxVectorObjects(int value) { m_maxVectorObjects = value; }
    int getROGTolerance() const { return m_rogTolerance; }
    void setROGTolerance(int value) { m_rogTolerance = value; }
    int getClipTolerance() const { return m_clipTolerance; }
    void setClipTolerance(int value) { m_clipTolerance = value; }
    float getRectangleThickness() const { return m_rectangleThickness; }
    void setRectangleThickness(float value) { m_rectangleThickness = value; }
    float getMarkerWidth() const { return m_markerWidth; }
    void setMarkerWidth(float value) { m_markerWidth = value; }
    float getMarkerHeight() const { return m_markerHeight; }
    void setMarkerHeight(float value) { m_markerHeight = value; }
    float getBarcodeWidth() const { return m_barcodeWidth; }
    void setBarcodeWidth(const char* text);
    float getBarcodeHeight() const { return m_barcodeHeight; }
    void setBarcodeHeight(const char* text);
    int getColorspace() const { return m_colorspace; }
    int getIOCAColorSpace() const { return m_iocaColorSpace; }

    // ---- PDF and PDF/A output
    const char* getTitle() const { return m_title; }
    const char* getSubject() const { return m_subject; }
    const char* getKeywords() const { return m_keywords; }
    const char* getCreator() const { return m_creator; }
    // The kit's version banner texts; set at creation.
    const char* getProducer() const { return m_producer; }
    const char* getVersionText() const { return m_versionText; }
    void setVersionTexts();
    bool isPDFCompression() const { return m_pdfCompression != 0; }
    const char* getFlateParameters() const { return m_flateParameters; }
    int getFlateLevel() const { return m_flateLevel; }
    int getJPEGQuality() const { return m_jpegQuality; }
    // Stores the quality and marks it as given.
    void setJPEGQuality(int quality);
    const char* getPDFSecurity() const { return m_pdfSecurityText; }
    const char* getOwnerPassword() const { return m_ownerPassword; }
    const char* getUserPassword() const { return m_userPassword; }
    int getKeyLength() const { return m_keyLength; }
    int getPermissions() const { return m_permissions; }
    void setOwnerPassword(const char* password);
    void setUserPassword(const char* password);
    // Key length 40, permissions 0xC0, no passwords, no text.
    void resetPDFSecurity();
    const int* getPDFDocLimits() const { return m_pdfDocLimits; }
    const char* getPDFDocLimitsText() const { return m_pdfDocLimitsText; }
    bool isPDFDocLimitsSingle() const { return m_pdfDocLimitsSingle != 0; }
    int getPDFDocLimitsSingleValue() const { return m_pdfDocLimitsSingleValue; }
    void setPDFDocLimits(int single);
    unsigned short getPDFUIOptions() const { return m_pdfUIOptions; }
    unsigned short getPDFWinOptions() const { return m_pdfWinOptions; }
    bool isPDFBookMark() const { return m_pdfBookMark != 0; }
    char getPDFALevel() const { return m_pdfALevel; }
    const char* getPDFALevelArray() const { return &m_pdfALevel; }
    // 'A' or 'B'; anything else gives 'B'.
    void setPDFALevel(char level);
    const int* getPDFAIdentifier() const { return m_pdfAIdentifier; }
    const char* getPDFAExtSchemaDefFile() const { return m_pdfAExtSchemaDefFile; }
    const char* getPDFAExtSchema() const { return m_pdfAExtSchema; }
    // Restores the built-in schema text.
    void setDefaultPDFAExtSchema();
    // Takes ownership of a text allocated with new[].
    void setPDFAExtSchema(char* text);
    bool hasWatermark() const { return m_watermarkText != nullptr; }
    const char* getWatermarkText() const { return m_watermarkText; }
    const char* getWatermarkFont() const { return m_watermarkFont; }
    int getWatermarkSize() const { return m_watermarkSize; }
    int getWatermarkAngle() const { return m_watermarkAngle; }
    int getWatermarkRed() const { return m_watermarkColor[0]; }
    int getWatermarkGreen() const { return m_watermarkColor[1]; }
    int getWatermarkBlue() const { return m_watermarkColor[2]; }
    bool isFlush() const { return m_flush != 0; }
    unsigned short getPDFCustomFilterStream() const { return m_pdfCustomFilterStream; }
    bool isCCITTDecoder() const { return (m_pdfCustomFilterStream & 0x1) != 0; }
    bool isFlateDecoder() const { return (m_pdfCustomFilterStream & 0x2) != 0; }

    // ---- Images and raster output
    unsigned int getImageMaxCacheSize() const { return m_imageMaxCacheSize; }
    // From megabytes.
    void setImageMaxCacheSize(float megabytes);
    bool isSaveOCDataOnDisk() const { return m_saveOCDataOnDisk != 0; }
    int getImageProcessFlags() const { return m_imageProcessFlags; }
    bool isImageProcessFlag1() const { return (m_imageProcessFlags & 0x1) != 0; }
    bool isImageProcessFlag2() const { return (m_imageProcessFlags & 0x2) != 0; }
    bool isImageProcessFlag3() const { return (m_imageProcessFlags & 0x4) != 0; }
    // The stored value, or 72 when none is stored.
    float getImageProcessValues() const;
    int getImageStretchFilter() const { return m_stretchFilter; }
    int getImageShrinkFilter() const { return m_shrinkFilter; }
    int getImageRotationFilter() const { return m_rotationFilter; }
    unsigned char getBWSampler() const { return m_bwSampler; }
    bool isDitherSampler() const { return m_bwSampler == 102; }
    bool isAdaptiveThresholdSampler() const { return m_bwSampler == 101; }
    void setDitherSampler() { m_bwSampler = 102; }
    void setAdaptiveThresholdSampler() { m_bwSampler = 101; }
    void setBWSampler(unsigned char value) { m_bwSampler = value; }
    void getSkipImageSize(float* width, float* height) const;

    // ---- AFP output
    const char* getAFPComplianceLevel() const { return m_afpComplianceLevel; }
    int getAFPIS2ComplianceFlags() const { return m_afpIS2ComplianceFlags; }
    bool isAFPIS2ComplianceFlag1() const { return (m_afpIS2ComplianceFlags & 0x1) != 0; }
    bool isAFPIS2ComplianceFlag2() const { return (m_afpIS2ComplianceFlags & 0x2) != 0; }
    bool isAFPIS2ComplianceFlag3() const { return (m_afpIS2ComplianceFlags & 0x4) != 0; }
    bool isAFPIS2ComplianceFlag4() const { return (m_afpIS2ComplianceFlags & 0x8) != 0; }
    int getZUZOvoputFlags() const { return m_zuzOvoputFlags; }
    bool isWrite5A() const { return (m_zuzOvoputFlags & 0x1) != 0; }
    bool isTransformPageSegmentImages() const { return (m_zuzOvoputFlags & 0x2) != 0; }

    // ---- Index files
    const char* getIndexPath() const { return m_indexPath; }
    const char* getIndexFormat() const { return m_indexFormat; }
    const char* getIndexRecord() const { return m_indexRecord; }

    // ---- Scripting
    const char* getScriptProcedure() const { return m_scriptProcedure; }
    const char* getScriptArgument() const { return m_scriptArgument; }
    const char* getScriptUnitBase() const { return m_scriptUnitBase; }
    const char* getScriptWriter() const { return m_scriptWriter; }
    const char* getScriptWriterArgument() const { return m_scriptWriterArgument; }
    int getColdFormat() const { return m_coldFormat; }

    // ---- Logging and reports
    const char* getLoggingLevel() const { return m_loggingLevel; }
    void setLoggingLevel(const char* value);
    bool isLogging() const;
    bool isLoggingFont() const;
    unsigned short getExceptionLoggingLevel() const { return m_exceptionLoggingLevel; }
    void setExceptionLoggingLevel(unsigned short level) { m_exceptionLoggingLevel = level; }
    bool isProtocol() const { return m_protocol != 0; }
    bool isStatistic() const { return m_statistic != 0; }
    bool isQuietMode() const { return m_quietMode != 0; }
    void setQuietMode(bool on) { m_quietMode = on ? 1 : 0; }
    bool isQuiet2Mode() const { return m_quiet2Mode != 0; }

    // ---- Text output
    int getMaxCols() const { return m_maxCols; }
    void setMaxCols(int value) { m_maxCols = value; }
    int getMaxRows() const { return m_maxRows; }
    void setMaxRows(int value) { m_maxRows = value; }
    int getPageLength() const { return m_pageLength; }
    void setPageLength(int value) { m_pageLength = value; }

    // ---- Interface, switches and diagnostics
    // Interface mode: 1 check-in, 2 check-out, 4 memory, 8 and 16 further
    // entries of the C interface.
    unsigned short getSDK() const { return m_sdk; }
    bool isSDK() const { return m_sdk != 0; }
    bool isApiMode(unsigned short bit) const { return (m_sdk & bit) == bit && bit != 0; }
    void setApiMode(unsigned short mode) { m_sdk = mode; }
    const char* getPKEY() const { return m_pkey; }
    void setPKEY(const char* value);
    // True when name followed by ',' occurs in the switch list (any case).
    bool hasSwitch(const char* name) const;
    // Appends the switch UseGD.
    void addUseGDSwitch();
    // 1 ocdither, 2 fldither (also without a dither switch), 3 bayerdither.
    int getDitherMethod() const;
    const char* getPKEYParam() const { return m_pkeyParam; }
    // True when name is a whole item of the PKEYParam list.
    bool isPKEYParam(const char* name) const;
    bool isDevTest() const { return m_devTest != 0; }
    void setDevTest(bool on) { m_devTest = on; }
    unsigned short getDevTestLevel() const { return m_devTestLevel; }
    bool isDevTestLevel(unsigned short bits) const { return (m_devTestLevel & bits) != 0; }

    // ---- Bookkeeping masks
    unsigned int getPathGivenMask() const { return m_pathGivenMask; }
    void addPathGiven(unsigned int bits) { m_pathGivenMask |= bits; }
    unsigned int getGivenMask() const { return m_givenMask; }
    void toggleGiven(unsigned int bits) { m_givenMask ^= bits; }
    void addGiven(unsigned int bits) { m_givenMask |= bits; }
    bool isNotGiven(unsigned int bits) const { return (m_givenMask & bits) == 0; }
    unsigned short getCheckedOnceMask() const { return m_checkedOnceMask; }
    void addCheckedOnce(unsigned short bits) { m_checkedOnceMask |= bits; }
    void addLoadedSections(unsigned int bits) { m_loadedSections |= bits; }
    bool isLoadedSection(unsigned int bits) const { return (m_loadedSections & bits) != 0; }
    bool isPathsChecked() const { return m_pathsChecked != 0; }
    void setPathsChecked(bool on) { m_pathsChecked = on; }
    bool isPageRelease() const { return m_pageRelease != 0; }
    // Grouping of the document parsers; on from creation, off in the index
    // modes.
    bool isDocumentGrouping() const { return m_documentGrouping != 0; }
    void setDocumentGrouping(bool on) { m_documentGrouping = on; }

    // ---- Path resolution and consistency
    // Frees old; returns path resolved against IniFilePath, ending in '/'
    // (a '@' location name is copied unchanged). With check set, once the
    // paths are checked, a missing directory becomes IniFilePath.
    char* resolvePath(char* old, const char* path, const char* label, bool check);
    // Re-resolves the settings selected by path-given bits; -1 selects all.
    void checkPaths(int mask);
    // Checks the directories of the run; throws E101 or E103.
    void checkLogPath();
    // Makes the settings agree; false when the TIFF sub-format cannot be
    // written.
    bool checkFileCreationMode();
    // The 18-slot colour table built by the consistency pass, or null.
    qelColorTable* getColorIndex() const { return m_colorIndex.get(); }

    // ---- Owned records and lists
    qelSpoolFileType* getSpoolFileTypeRecord() const { return m_spoolFileTypeRecord; }
    // Clears and deletes the previous record; takes ownership.
    void setSpoolFileType(qelSpoolFileType* record);

    qelLogicalLocation* findLogicalLocation(const char* name) const;
    // Takes ownership.
    void addLogicalLocation(qelLogicalLocation* location);
    const char* resolveLogicalLocation(const char* name) const;

    void addFormdefEntry(const char* entry);
    // A new copy (delete[]) of the first entry containing the text, or null.
    char* findFormdefEntry(const char* text) const;

    const std::vector<std::string>& getInputFiles() const { return m_inputFiles; }
    // Appends to the input list of the current options object.
    static void addInputFile(const char* name);
    static void setCurrent(qelIni* ini);
    static qelIni* getCurrent();
    // Sets interface mode 16 on the current options object.
    static void setCurrentFileListMode();

private:
    struct PathOption
    {
        char* text = nullptr;
        std::vector<std::string> list;
        std::vector<std::string> iniList;
    };

    void setPathOption(PathOption& option, const char* text, unsigned int pathBit);
    char* resolveFile(char* old, const char* path, const char* label, const char* failure);
    void resolvePathList(PathOption& option, const char* label);
    void listPaths();
    bool parsePattern();
    void clearPattern();
    bool checkFormatType();
    void resolveSizes();
    void loadPDFAExtSchema();
    void setText(char*& field, const char* value);
    void warnNumber(int key, const char* value, bool fromIni);
    void setOnSwitch(unsigned char& field, const char* value, const char* alias = nullptr);
    void setOffSwitch(unsigned char& field, const char* value);
    bool setIntKey(int key, int& field, const char* value, bool fromIni);
    bool setFloatKey(int key, float& field, const char* value, bool fromIni);
    void parseCodePageDefaultChar(const char* value);
    void parseBWSampler(const char* value);
    void parseColorMapPercentage(const char* value);
    void parseDevTestLevel(const char* value, bool fromIni);
    void parseImageFilter(int which, const char* name);
    void parseImageResizeFilter(const char* value);
    void parseImageProcessFlags(const char* value);
    void parsePDFCustomFilterStream(const char* value);
    void parseFieldBits(unsigned short& field, const char* value, int fields);
    void parseZUZOvoputFlags(const char* value);
    void parseAFPIS2ComplianceFlags(const char* value);
    void parseColorTableEntry(const char* value);
    void parseLightColorLimit(const char* value);
    void parsePDFSecurity(const char* value);
    void parsePDFDocLimits(const char* value, bool fromIni);
    void parsePDFAIdentifier(const char* value);
    void parseWatermark(const char* value);
    void parseImageProcessValues(const char* value);
    void parseFlateParameters(const char* value);
    void parseSkipImageSize(const char* value);
    void parseOutputSize(const char* value);
    void parseOutputScale(const char* value);
    void parseScaleToSize(const char* value);
    void parsePageRotation(const char* value);
    void parseExceptionLoggingLevel(const char* value, bool fromIni);
    void parseIndexFormat(char* value);
    void parseScriptUnitBase(const char* value);
    void setFileNameOption(char*& field, const char* value);
    const char* formatAnswer(const char* format, ...) __attribute__((format(printf, 2, 3)));
    const char* answerOf(int key);

    // Input and document selection
    int m_inputFormat = QEL_IN_AFP;
    unsigned char m_stdIn = 0;
    unsigned char m_stdOut = 0;
    char* m_spoolFileType = nullptr;
    int m_pageParse = -1;
    int m_startingDocument = 0;
    int m_endingDocument = 0;
    int m_startingPage = -1;
    int m_endingPage = -1;
    unsigned char m_skipPage = 0;
    unsigned int m_skipObjectSize = 2048;
    unsigned char m_strict = 0;
    unsigned char m_autoSplit = 0;
    unsigned char m_qelNop = 0;
    char* m_resourceGroup = nullptr;
    int m_ipsPageResolution = 2880;

    // Output
    int m_outputFormat = QEL_OUT_PDF;
    int m_formatType = 4;
    unsigned char m_dithered = 0;
    char* m_outputFilePath = nullptr;
    char* m_customFileExtension = nullptr;
    unsigned char m_codedOutput = 1;
    unsigned char m_color = 0;
    unsigned char m_cmykToRgb = 1;
    unsigned char m_pageOutput = 0;
    unsigned char m_memoryOutputStream = 0;
    unsigned char m_launchPreview = 0;
    int m_resolution = 240;
    int m_pageRotation = 0;
    float m_outputWidth = 0.0f;
    float m_outputHeight = 0.0f;
    char m_outputSizeName[24] = {0};
    std::unique_ptr<qelOutputScale> m_outputScale;
    std::unique_ptr<qelOutputScale> m_scaleToSize;
    unsigned char m_autoRotateImage = 0;
    unsigned char m_fontMetric = 0;

    // File creation and naming
    int m_fileCreationMode = QEL_FCM_ALL;
    char* m_filenamePattern = nullptr;
    unsigned char m_generateUniqueFile = 0;
    int m_documentCount = 0;

    // Paths, files and resources
    char* m_iniFilePath = nullptr;
    char* m_iniFilename = nullptr;
    char* m_logPath = nullptr;
    char* m_resPath = nullptr;
    char* m_cpPath = nullptr;
    char* m_tempPath = nullptr;
    char* m_extFontPath = nullptr;
    char* m_mfmFontPath = nullptr;
    PathOption m_afpFontPath;
    PathOption m_formDefPath;
    PathOption m_pageDefPath;
    PathOption m_overlayPath;
    PathOption m_pageSegmentPath;
    char* m_formdefExt = nullptr;
    char* m_pagedefExt = nullptr;
    char* m_overlayExt = nullptr;
    char* m_pageSegExt = nullptr;
    char* m_charSetExt = nullptr;
    char* m_codePageExt = nullptr;
    char* m_codedFontExt = nullptr;
    char* m_formdefFilename = nullptr;
    char* m_pagedefFilename = nullptr;
    char* m_resourceGroupFilename = nullptr;
    char* m_documentIndexFilename = nullptr;
    char* m_mappingDefFilename = nullptr;
    char* m_pdfParserConfFile = nullptr;
    char* m_transformationProfile = nullptr;
    char* m_gcgidUnicodeFile = nullptr;

    // Fonts and text
    char* m_codePage = nullptr;
    unsigned char m_codePageDefaultChar = ' ';
    char* m_alias = nullptr;
    int m_fontResolution = 300;
    int m_ttFontInterpreter = 2;
    unsigned char m_fontAliasing = 0;
    char* m_spaceGlyphNames = nullptr;
    float m_pdfFontHeightFactor = 1.0f;
    int m_textPresentationFidelity = 1;
    unsigned char m_maxValueForSOCAResolve = 145;

    // Colours, vectors and PDF input
    std::vector<std::unique_ptr<qelColorEntry>> m_colorTable;
    unsigned char m_colorTolerance = 0;
    std::unique_ptr<qelColorEntry> m_lightColorLimit;
    float m_colorMapPercentage = 0.4f;
    int m_curveSamplingFactor = 64;
    int m_printableLineWidth = 1;
    int m_gocaLineWidth = 1;
    float m_gocaLineWidthFactor = 0.01f;
    int m_maxGraphicPrimitives = 100;
    int m_maxVectorObjects = -1;
    int m_rogTolerance = 20;
    int m_clipTolerance = 5;
    float m_rectangleThickness = 5.0f;
    float m_markerWidth = 0.1f;
    float m_markerHeight = 0.1f;
    float m_barcodeWidth = 0.0f;
    float m_barcodeHeight = 0.0f;
    int m_colorspace = 1;
    int m_iocaColorSpace = 6;

    // PDF and PDF/A output
    char* m_title = nullptr;
    char* m_subject = nullptr;
    char* m_keywords = nullptr;
    char* m_creator = nullptr;
    char* m_producer = nullptr;
    char* m_versionText = nullptr;
    unsigned char m_pdfCompression = 1;
    char* m_flateParameters = nullptr;
    int m_flateLevel = 6;
    int m_jpegQuality = 50;
    char* m_pdfSecurityText = nullptr;
    char m_ownerPassword[256] = {0};
    char m_userPassword[256] = {0};
    int m_keyLength = 40;
    int m_permissions = 0xC0;
    int m_pdfDocLimits[6] = {200, 0, 0, 0, 0, 0};
    char* m_pdfDocLimitsText = nullptr;
    unsigned char m_pdfDocLimitsSingle = 1;
    int m_pdfDocLimitsSingleValue = 200;
    unsigned short m_pdfUIOptions = 0;
    unsigned short m_pdfWinOptions = 0;
    unsigned char m_pdfBookMark = 0;
    char m_pdfALevel = 'B';
    int m_pdfAIdentifier[3] = {1, 0, 0};
    char* m_pdfAExtSchemaDefFile = nullptr;
    char* m_pdfAExtSchema = nullptr;
    char* m_watermarkText = nullptr;
    char* m_watermarkFont = nullptr;
    int m_watermarkSize = 0;
    int m_watermarkAngle = 0;
    int m_watermarkColor[3] = {0, 0, 0};
    unsigned char m_flush = 0;
    unsigned short m_pdfCustomFilterStream = 3;

    // Images and raster output
    unsigned int m_imageMaxCacheSize = 5242880;
    unsigned char m_saveOCDataOnDisk = 0;
    int m_imageProcessFlags = 7;
    float m_imageProcessValue = 0.0f;
    int m_stretchFilter = 15;
    int m_shrinkFilter = 6;
    int m_rotationFilter = 0;
    unsigned char m_bwSampler = 102;
    float m_skipImageWidth = 0.0f;
    float m_skipImageHeight = 0.0f;

    // AFP output
    char* m_afpComplianceLevel = nullptr;
    int m_afpIS2ComplianceFlags = 1;
    int m_zuzOvoputFlags = 1;

    // Index files
    char* m_indexPath = nullptr;
    char* m_indexFormat = nullptr;
    char* m_indexRecord = nullptr;

    // Scripting
    char* m_scriptProcedure = nullptr;
    char* m_scriptArgument = nullptr;
    char* m_scriptUnitBase = nullptr;
    char* m_scriptWriter = nullptr;
    char* m_scriptWriterArgument = nullptr;
    int m_coldFormat = 0;

    // Logging and reports
    char* m_loggingLevel = nullptr;
    unsigned short m_exceptionLoggingLevel = 1;
    unsigned char m_protocol = 0;
    unsigned char m_statistic = 0;
    unsigned char m_quietMode = 0;
    unsigned char m_quiet2Mode = 0;

    // Text output
    int m_maxCols = 0;
    int m_maxRows = 0;
    int m_pageLength = 100;

    // Interface, switches and diagnostics
    unsigned short m_sdk = 0;
    char* m_pkey = nullptr;
    char* m_pkeyParam = nullptr;
    unsigned char m_devTest = 0;
    unsigned short m_devTestLevel = 0;

    // Bookkeeping
    unsigned int m_pathGivenMask = 0;
    unsigned int m_givenMask = 0;
    unsigned short m_checkedOnceMask = 0;
    unsigned int m_loadedSections = 0;
    unsigned char m_pathsChecked = 0;
    unsigned char m_pageRelease = 0;
    unsigned char m_documentGrouping = 1;
    std::unique_ptr<qelColorTable> m_colorIndex;

    // Parsed file name pattern, built on first use.
    bool m_patternParsed = false;
    std::vector<std::string> m_patternPieces;
    std::vector<std::string> m_patternFields;

    qelSpoolFileType* m_spoolFileTypeRecord = nullptr;
    std::vector<std::unique_ptr<qelLogicalLocation>> m_locations;
    std::vector<std::string> m_formdefEntries;
    std::vector<std::string> m_inputFiles;

    char m_answer[1024] = {0};
};

#endif
