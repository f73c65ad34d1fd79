#ifndef QEL_DIR_LOGICAL_LOCATION_H
#define QEL_DIR_LOGICAL_LOCATION_H

#include "qelLogicalLocation.h"

// A location in a local directory. The configuration reader accepts only
// FTP locations, so nothing creates one; it has its description.
class qelDIRLogicalLocation : public qelLogicalLocation
{
public:
    qelDIRLogicalLocation();
    ~qelDIRLogicalLocation() override;

    int getKind() const override { return QEL_LOCATION_DIR; }
    char* describe() override;

    // -1 when not given.
    void setFileCount(int count) { m_fileCount = count; }
    int getFileCount() const { return m_fileCount; }
    void setDirectoryName(const char* name);
    const char* getDirectoryName() const { return m_directoryName; }
    void setPathSuffixPattern(const char* pattern);
    const char* getPathSuffixPattern() const { return m_pathSuffixPattern; }

private:
    int m_fileCount = -1;
    char* m_directoryName = nullptr;
    char* m_pathSuffixPattern = nullptr;
};

#endif
