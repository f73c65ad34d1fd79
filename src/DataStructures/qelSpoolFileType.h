#ifndef QEL_SPOOL_FILE_TYPE_H
#define QEL_SPOOL_FILE_TYPE_H

// The spool file type definition read from the INI section named by the
// SpoolFileType option; the options object owns the stored record.
class qelSpoolFileType
{
public:
    qelSpoolFileType();
    ~qelSpoolFileType();
    qelSpoolFileType(const qelSpoolFileType&) = delete;
    qelSpoolFileType& operator=(const qelSpoolFileType&) = delete;

    const char* getName() const { return m_name; }
    void setName(const char* name);

    // Releases everything the record holds.
    void clear();

private:
    char* m_name = nullptr;
};

#endif
