#include "qelCharSetAliasName.h"

#include "qelList.h"
#include "qelNamePair.h"
#include "qelUtils.h"

#include <memory>

qelCharSetAliasName::~qelCharSetAliasName()
{
    qelList::destroy(m_pairs);
}

void qelCharSetAliasName::addNamePair(const char* first, const char* second)
{
    if (!first)
        return;
    std::unique_ptr<char[]> a(qelUtils::stripQuotes(first));
    std::unique_ptr<char[]> b(second ? qelUtils::stripQuotes(second) : nullptr);
    if (!m_pairs)
        m_pairs = new qelList(&qelList::deleteAs<qelNamePair>);
    m_pairs->append(new qelNamePair(a ? a.get() : "", b.get()));
}
