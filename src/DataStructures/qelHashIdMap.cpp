#include "qelHashIdMap.h"

#include "qelList.h"
#include "qelRes.h"
#include "qelResourceAliasName.h"
#include "qelString.h"

#include <string>

qelHashIdMap::~qelHashIdMap()
{
    for (qelList*& list : m_lists)
        qelList::destroy(list);
}

int qelHashIdMap::listIndex(const char* name, int type, bool forFind)
{
    switch (type) {
    case qelRes::TYPE_OVERLAY:
        return OVERLAYS;
    case qelRes::TYPE_PAGE_SEGMENT:
        return PAGE_SEGMENTS;
    case qelRes::TYPE_CODE_PAGE:
        return CODE_PAGES;
    case qelRes::TYPE_MEDIUM_MAP:
        return forFind ? FORM_MAPS : -1;
    case qelRes::TYPE_FORM_MAP:
        return FORM_MAPS;
    case qelRes::TYPE_OBJECT_CONTAINER:
        return OBJECT_CONTAINERS;
    case qelRes::TYPE_FONT:
        if (!name)
            return -1;
        if (name[0] == 'X' || name[0] == 'x')
            return CODED_FONTS;
        if (name[0] == 'C' || name[0] == 'c')
            return CHARACTER_SETS;
        return -1;
    default:
        return -1;
    }
}

void qelHashIdMap::addAlias(qelResourceAliasName* record)
{
    if (!record)
        return;
    const int index = listIndex(record->getName(), record->getType(), false);
    if (index < 0) {
        delete record;
        return;
    }
    if (!m_lists[index])
        m_lists[index] = new qelList(&qelList::deleteAs<qelResourceAliasName>);
    m_lists[index]->append(record);
}

qelResourceAliasName* qelHashIdMap::findHashId(const char* name, int type) const
{
    if (!name || type == 0)
        return nullptr;
    const int index = listIndex(name, type, true);
    if (index < 0 || !m_lists[index])
        return nullptr;

    // Work on copies: the caller's name may be a literal.
    std::string search(name);
    std::string alternate;
    if (type == qelRes::TYPE_FONT && search.size() >= 2) {
        alternate = search.substr(0, 8);
        if (search[1] == '?') {
            search[1] = '0';
            alternate[1] = '1';
        } else {
            alternate[1] = search[1] == '0' ? '1' : '0';
        }
    }
    for (qelListNode* n = m_lists[index]->getHead(); n; n = n->next) {
        auto* record = static_cast<qelResourceAliasName*>(n->item);
        const char* recordName = record->getName();
        if (!recordName)
            continue;
        if (qelString::compare(recordName, search.c_str(), true, 0)
            || (!alternate.empty() && qelString::compare(recordName, alternate.c_str(), true, 0)))
            return record;
    }
    return nullptr;
}
