#ifndef QEL_CHAR_SET_ALIAS_NAME_H
#define QEL_CHAR_SET_ALIAS_NAME_H

#include "qelResourceAliasName.h"

class qelList;

// Alias of a character set, with the name pairs that a character set font
// takes over as its alias name list.
class qelCharSetAliasName : public qelResourceAliasName
{
public:
    qelCharSetAliasName() = default;
    ~qelCharSetAliasName() override;
    int getType() const override { return qelRes::TYPE_FONT; }

    // Appends copies without surrounding double quotes; a null first text
    // adds nothing.
    void addNamePair(const char* first, const char* second);
    // Owning list of qelNamePair, null until the first pair.
    qelList* getNamePairs() const { return m_pairs; }

private:
    qelList* m_pairs = nullptr;
};

#endif
