#include "qelInputFileList.h"

#include "qelFileSystem.h"
#include "qelList.h"

#include <cstring>
#include <string>
#include <vector>

namespace {
char* copyText(const std::string& text)
{
    char* copy = new char[text.size() + 1];
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

// Frees a list of texts, whether it owns them or not.
void releaseList(qelList*& list)
{
    if (!list)
        return;
    if (!list->ownsItems()) {
        for (qelListNode* node = list->getHead(); node; node = node->next) {
            qelInputFileList::deleteText(node->item);
            node->item = nullptr;
        }
    }
    qelList::destroy(list);
}
}

qelInputFileList::qelInputFileList(qelList* paths) : m_list(paths)
{
    expandWildcards();
}

qelInputFileList::~qelInputFileList()
{
    releaseList(m_list);
}

qelList* qelInputFileList::createList()
{
    return new qelList(&qelInputFileList::deleteText);
}

void qelInputFileList::deleteText(void* text)
{
    delete[] static_cast<char*>(text);
}

void qelInputFileList::expandWildcards()
{
    m_cursor = nullptr;
    if (!m_list)
        return;
    qelList* expanded = createList();
    std::vector<qelFileSystem::Entry> entries;
    for (qelListNode* node = m_list->getHead(); node; node = node->next) {
        char* path = static_cast<char*>(node->item);
        if (!path)
            continue;
        for (char* p = path; *p; ++p)
            if (*p == '\\')
                *p = '/';
        const char* slash = std::strrchr(path, '/');
        std::string directory = slash ? std::string(path, static_cast<size_t>(slash - path + 1)) : "./";
        if (qelFileSystem::findFiles(path, entries) != 0)
            continue;
        for (const qelFileSystem::Entry& entry : entries) {
            if (!entry.directory)
                expanded->append(copyText(directory + entry.name));
        }
    }
    releaseList(m_list);
    if (expanded->getCount() == 0)
        qelList::destroy(expanded);
    m_list = expanded;
}

const char* qelInputFileList::first()
{
    m_cursor = m_list ? m_list->getHead() : nullptr;
    return m_cursor ? static_cast<const char*>(m_cursor->item) : nullptr;
}

const char* qelInputFileList::next()
{
    if (!m_cursor)
        return nullptr;
    m_cursor = m_cursor->next;
    return m_cursor ? static_cast<const char*>(m_cursor->item) : nullptr;
}
