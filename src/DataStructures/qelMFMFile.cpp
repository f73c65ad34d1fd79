#include "qelMFMFile.h"

#include "qelFontText.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelString.h"

#include <cstring>
#include <string>

qelMFMWidthSet::~qelMFMWidthSet()
{
    for (uint16_t*& w : widths) {
        delete[] w;
        w = nullptr;
    }
}

std::string qelMFMFile::filePath(const char* characterSetName, bool anyLength)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIni* ini = pool ? pool->getIni() : nullptr;
    const char* directory = ini ? ini->getMFMFontPath() : nullptr;
    std::string path = directory ? directory : "";
    if (!path.empty() && path.back() != '/')
        path += '/';
    std::string name = characterSetName ? characterSetName : "";
    if (name.size() >= 2 && name[1] == '?' && (anyLength || name.size() <= 8))
        name[1] = '0';
    return path + name + ".mfm";
}

qelMFMFile::qelMFMFile() = default;

qelMFMFile::~qelMFMFile()
{
    qelFontText::set(m_name, nullptr);
    delete[] m_header;
    delete[] m_namesV10;
    delete[] m_namesV11;
    delete m_widthSets;
}

void qelMFMFile::setVersion(const char* tag)
{
    std::memset(m_tag, 0, sizeof m_tag);
    m_version = 0.0f;
    if (!tag)
        return;
    std::string text(tag, strnlen(tag, kTagSize - 1));
    const size_t first = text.find_first_not_of(' ');
    const size_t last = text.find_last_not_of(' ');
    text = first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
    std::memcpy(m_tag, text.data(), text.size());
    if (text.find("1.0") != std::string::npos)
        m_version = 1.0f;
    else if (text.find("1.1") != std::string::npos)
        m_version = 1.1f;
}

int qelMFMFile::getNameSize() const
{
    if (m_version == 1.0f)
        return kNameSizeV10;
    if (m_version == 1.1f)
        return kNameSizeV11;
    return 0;
}

void qelMFMFile::setName(const char* name)
{
    if (!name) {
        qelFontText::set(m_name, nullptr);
        return;
    }
    std::string text = name;
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    qelFontText::set(m_name, text.c_str());
}

const char* qelMFMFile::getName() const
{
    return qelFontText::get(m_name);
}

void qelMFMFile::setHeader(uint8_t* header)
{
    if (header != m_header)
        delete[] m_header;
    m_header = header;
}

int32_t qelMFMFile::getEntryCount() const
{
    if (!m_header)
        return 0;
    const uint8_t* p = m_header + kEntryCountOffset;
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8
                                | static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

void qelMFMFile::setEntryCount(int32_t count)
{
    if (!m_header)
        return;
    const uint32_t v = static_cast<uint32_t>(count);
    uint8_t* p = m_header + kEntryCountOffset;
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

char* qelMFMFile::getCodePageNames() const
{
    if (m_version == 1.0f)
        return m_namesV10;
    if (m_version == 1.1f)
        return m_namesV11;
    return nullptr;
}

void qelMFMFile::setCodePageNames(char* names)
{
    char** slot = m_version == 1.0f ? &m_namesV10 : m_version == 1.1f ? &m_namesV11 : nullptr;
    if (!slot) {
        delete[] names;
        return;
    }
    if (*slot != names)
        delete[] *slot;
    *slot = names;
}

void qelMFMFile::addCodePage(const char* name)
{
    if (!name || !m_header)
        return;
    const int32_t count = getEntryCount() < 0 ? 0 : getEntryCount();
    const int size = getNameSize();
    if (size > 0) {
        char* old = getCodePageNames();
        char* names = new char[static_cast<size_t>(count + 1) * size]();
        if (old)
            std::memcpy(names, old, static_cast<size_t>(count) * size);
        std::strncpy(names + static_cast<size_t>(count) * size, name, static_cast<size_t>(size) - 1);
        setCodePageNames(names);
    }
    setEntryCount(count + 1);
}

int qelMFMFile::indexOf(const char* name) const
{
    const char* names = getCodePageNames();
    const int size = getNameSize();
    if (!name || !names || size == 0)
        return -1;
    const int32_t count = getEntryCount();
    for (int32_t i = 0; i < count; ++i) {
        const char* entry = names + static_cast<size_t>(i) * size;
        const std::string text(entry, strnlen(entry, size));
        if (qelString::compare(text.c_str(), name, true, 0))
            return i;
    }
    return -1;
}

bool qelMFMFile::hasCodePage(const char* name) const
{
    return indexOf(name) >= 0;
}

void qelMFMFile::addWidthSet(qelMFMWidthSet* widthSet)
{
    if (!widthSet)
        return;
    if (!m_widthSets)
        m_widthSets = new qelList(&qelList::deleteAs<qelMFMWidthSet>);
    m_widthSets->append(widthSet);
}

qelMFMWidthSet* qelMFMFile::findWidths(const char* codePageName) const
{
    if (!codePageName || qelString::compare(codePageName, "DEFAULT", true, 0) || getEntryCount() < 1)
        return nullptr;
    int index = indexOf(codePageName);
    if (index < 0 || !m_widthSets)
        return nullptr;
    for (qelListNode* n = m_widthSets->getHead(); n; n = n->next, --index)
        if (index == 0)
            return static_cast<qelMFMWidthSet*>(n->item);
    return nullptr;
}
