#ifndef QEL_LOGICAL_LOCATION_H
#define QEL_LOGICAL_LOCATION_H

#include <string>

enum qelLocationKind { QEL_LOCATION_FTP = 3, QEL_LOCATION_DIR = 4 };

// A named input location from the INI file, referred to as '@' + name.
class qelLogicalLocation
{
public:
    qelLogicalLocation();
    virtual ~qelLogicalLocation();
    qelLogicalLocation(const qelLogicalLocation&) = delete;
    qelLogicalLocation& operator=(const qelLogicalLocation&) = delete;

    // Setters store a copy; null clears. Getters return null when unset.
    virtual void setUserName(const char* name);
    virtual void setPassword(const char* password);
    virtual const char* getUserName() const;
    virtual const char* getPassword() const;
    virtual int getKind() const = 0;
    // A new text (the caller frees it with delete[]), ending with CR LF; the
    // same text without the line break becomes the stored description.
    virtual char* describe() = 0;

    void setName(const char* name);
    const char* getName() const;
    void setDescription(const char* text);
    // The stored description, built on first use.
    const char* getDescription();

protected:
    // Stores text as the description and returns a copy with CR LF.
    char* storeDescription(const std::string& text);
    // Frees the old text and stores a copy (null for null).
    static void replaceText(char*& field, const char* text);
    // Label and value when the value is set.
    static void appendPart(std::string& out, const char* label, const char* value);

private:
    char* m_description = nullptr;
    char* m_name = nullptr;
    char* m_userName = nullptr;
    char* m_password = nullptr;
};

// The kinds, for every user of the base.
#include "qelDIRLogicalLocation.h"
#include "qelFTPLogicalLocation.h"

#endif
