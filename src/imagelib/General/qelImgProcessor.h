#ifndef QEL_IMG_PROCESSOR_H
#define QEL_IMG_PROCESSOR_H

// Entry point of the image library for the rest of the engine. This is the
// part the kernel calls once per run and per input: library start and end,
// the document texts written into image files and the defaults of the run.
class qelImgProcessor
{
public:
    static void initializeLibrary();
    static void finalizeLibrary();
    static bool isInitialized();
    // Per-input release of cached decoder state.
    static void releaseLibraryResources();

    // Each text setter keeps a copy; null clears.
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

    static float getDefaultResolution();
    static void setDefaultResolution(float dpi);
    static bool isWidthFromData();
    static void setWidthFromData(bool on);
    static const char* getTempDirectory();
    static void setTempDirectory(const char* path);
};

#endif
