#ifndef QEL_IMG_PROCESSOR_H
#define QEL_IMG_PROCESSOR_H

class qelImgLogger;

// Entry point of the image library for the rest of the engine. This is the
// library-wide part: start and end, trace sink, temporary directory, the
// document texts written into image files and the switches of the run.
class qelImgProcessor
{
public:
    static void initializeLibrary();
    static void finalizeLibrary();
    static bool isInitialized();
    // Per-input release of the TIFF contexts, handlers and pending error.
    static void releaseLibraryResources();

    // Not owned.
    static void setLogger(qelImgLogger* logger);
    static qelImgLogger* getLogger();

    // A null text changes nothing; a setter keeps a copy. An unset or empty
    // text answers the built-in default.
    static const char* getSoftwareName();
    static void setSoftwareName(const char* text);
    static const char* getCopyright();
    static void setCopyright(const char* text);
    static const char* getArtist();
    static void setArtist(const char* text);
    static const char* getTitle();
    static void setTitle(const char* text);
    static const char* getSubject();
    static void setSubject(const char* text);
    static const char* getKeywords();
    static void setKeywords(const char* text);
    static const char* getAuthor();
    static void setAuthor(const char* text);

    static float getDefaultResolution();
    static void setDefaultResolution(float dpi);
    static bool isWidthFromData();
    static void setWidthFromData(bool on);
    // With a trailing '/'; null when none.
    static const char* getTempDirectory();
    // An existing writable directory, else the default one.
    static void setTempDirectory(const char* path);
    static int getTempFileMode();
    static void setTempFileMode(int mode);
    static int getMessageMode();
    static void setMessageMode(int mode);

    static const char* getVersion();
    static const char* getLibraryBanner();
    // Four lines of linked library versions; a new[] text the caller frees.
    static char* getLibraryVersions();
    static const char* getCompressionName(int compression);
    static const char* getImageTypeName(int type);
};

#endif
