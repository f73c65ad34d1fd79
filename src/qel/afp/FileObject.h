#ifndef QEL_LIB_FILE_OBJECT_H
#define QEL_LIB_FILE_OBJECT_H

#include "qel/afp/Writable.h"

namespace qel
{

// A file of ready structured fields (a resource, a finished part of the
// print file) copied into the output.
class FileObject : public Writable
{
public:
    FileObject(const char* path, bool deleteFile);
    // Removes the file when the delete switch is set.
    ~FileObject() override;

    // Copies the file field by field, each preceded by X'5A' exactly when
    // bit 0 of the control flags is set, whatever framing the file has.
    // Bytes that form no field are dropped with a warning. -1 for a null
    // stream or path or a file that cannot be opened; else 0.
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    void setFileName(const char* path);
    const char* getFileName() const { return m_path; }
    void setDeleteFile(bool on) { m_deleteFile = on ? 1 : 0; }
    bool getDeleteFile() const { return m_deleteFile != 0; }

private:
    char* m_path = nullptr;
    unsigned char m_deleteFile = 0;
};

} // namespace qel

#endif
