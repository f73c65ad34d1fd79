#ifndef QEL_MFM_FILE_H
#define QEL_MFM_FILE_H

#include <cstdint>
#include <string>

class qelList;
class qelString;

// Widths of one code page in an MFM file: per rotation 0, 90, 180, 270 an
// owned new[] array of 1024 widths (null when absent).
struct qelMFMWidthSet
{
    static constexpr int kWidths = 1024;
    uint16_t* widths[4] = {nullptr, nullptr, nullptr, nullptr};
    qelMFMWidthSet() = default;
    qelMFMWidthSet(const qelMFMWidthSet&) = delete;
    qelMFMWidthSet& operator=(const qelMFMWidthSet&) = delete;
    ~qelMFMWidthSet();
};

// In-memory record of an MFM metrics file: version tag, the 312-byte font
// header, one name and one width set per code page. Owns all of them.
class qelMFMFile
{
public:
    static constexpr int kTagSize = 16;
    static constexpr int kHeaderSize = 312;
    static constexpr int kEntryCountOffset = 308;
    static constexpr int kNameSizeV10 = 9;
    static constexpr int kNameSizeV11 = 64;
    static constexpr int kWidthSetSize = 4 * qelMFMWidthSet::kWidths * 2;

    // Path of the file of a character set in the MFM directory: the name
    // with ".mfm", a second character "?" written as "0" (only for names of
    // at most 8 characters unless anyLength).
    static std::string filePath(const char* characterSetName, bool anyLength);

    qelMFMFile();
    ~qelMFMFile();
    qelMFMFile(const qelMFMFile&) = delete;
    qelMFMFile& operator=(const qelMFMFile&) = delete;

    // Keeps at most 15 characters, trimmed; version 1.0 or 1.1 when the tag
    // holds that text, else 0.
    void setVersion(const char* tag);
    float getVersion() const { return m_version; }
    const char* getVersionTag() const { return m_tag; }
    // 9 or 64 for versions 1.0 and 1.1, else 0.
    int getNameSize() const;

    // Name without surrounding double quotes.
    void setName(const char* name);
    const char* getName() const;

    // Takes over a new[] array of kHeaderSize bytes.
    void setHeader(uint8_t* header);
    uint8_t* getHeader() const { return m_header; }
    // Entry count of the header (0 without one).
    int32_t getEntryCount() const;
    void setEntryCount(int32_t count);

    // Names array of the version (getNameSize bytes an entry), else null.
    char* getCodePageNames() const;
    // Takes over a new[] names array of the version.
    void setCodePageNames(char* names);
    // Adds a name to the array of the version and counts the entry.
    void addCodePage(const char* name);
    bool hasCodePage(const char* name) const;

    // Takes the width set over.
    void addWidthSet(qelMFMWidthSet* widthSet);
    qelList* getWidthSets() const { return m_widthSets; }
    // Width set of a code page (any case); null for DEFAULT or none.
    qelMFMWidthSet* findWidths(const char* codePageName) const;

    bool isDirty() const { return m_dirty != 0; }
    void setDirty(bool on) { m_dirty = on ? 1 : 0; }
    bool isRegistered() const { return m_registered != 0; }
    void setRegistered(bool on) { m_registered = on ? 1 : 0; }

private:
    // Index of a code page name in the array, -1 when absent.
    int indexOf(const char* name) const;

    uint8_t m_dirty = 0;
    uint8_t m_registered = 0;
    float m_version = 0.0f;
    char m_tag[kTagSize] = {};
    qelString* m_name = nullptr;
    uint8_t* m_header = nullptr;
    char* m_namesV10 = nullptr;
    char* m_namesV11 = nullptr;
    qelList* m_widthSets = nullptr;
};

#endif
