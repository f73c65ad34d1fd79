#ifndef QEL_DOCUMENT_H
#define QEL_DOCUMENT_H

#include <string>

// One document of a spool. Minimal form: the members that output naming
// reads; the documents issue fills in the rest.
class qelDocument
{
public:
    virtual ~qelDocument() = default;

    const char* getName() const { return text(m_name); }
    void setName(const char* n) { m_name = n ? n : ""; }
    int getNumber() const { return m_number; }
    void setNumber(int n) { m_number = n; }
    const char* getSimpleFilename() const { return text(m_simpleFilename); }
    void setSimpleFilename(const char* n) { m_simpleFilename = n ? n : ""; }
    const char* getOutputFilename() const { return text(m_outputFilename); }
    void setOutputFilename(const char* n) { m_outputFilename = n ? n : ""; }

private:
    static const char* text(const std::string& s) { return s.empty() ? nullptr : s.c_str(); }
    std::string m_name;
    int m_number = 0;
    std::string m_simpleFilename;
    std::string m_outputFilename;
};

#endif
