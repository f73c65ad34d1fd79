#include "qelMFMVisitor.h"

#include "qelException.h"
#include "qelFontText.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMFMFile.h"
#include "qelMessageOutput.h"
#include "qelString.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace {
void reportOpenFailure(const char* path, int error)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIni* ini = pool ? pool->getIni() : nullptr;
    if (!ini || !ini->isQuietMode())
        qelMessageOutput::printf("Error! Unable to open MFM file %s: %s\n", path, std::strerror(error));
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    if (log && log->anyOf(QEL_LOG_FONT))
        log->printLine("Error! Unable to open MFM file %s: %s", path, std::strerror(error));
}

bool writeAll(FILE* file, const void* data, size_t size)
{
    return size == 0 || std::fwrite(data, 1, size, file) == size;
}
}

qelMFMVisitor::~qelMFMVisitor()
{
    close();
}

int qelMFMVisitor::openFile(const char* characterSetName)
{
    if (!characterSetName)
        return -1;
    close();
    const std::string path = qelMFMFile::filePath(characterSetName, false);
    qelFontText::set(m_path, path.c_str());
    if (!m_path)
        return -2;
    m_file = std::fopen(path.c_str(), "wb");
    if (!m_file) {
        reportOpenFailure(path.c_str(), errno);
        return -3;
    }
    m_open = 1;
    return 0;
}

void qelMFMVisitor::failWrite(int error)
{
    const std::string path = qelFontText::get(m_path) ? qelFontText::get(m_path) : "";
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
    m_open = 0;
    qelFontText::set(m_path, nullptr);
    if (!path.empty())
        std::remove(path.c_str());
    throw new qelException(__FILE__, __LINE__, qelMsg::E075, 0, true, path.c_str(),
                           std::strerror(error ? error : EIO));
}

int qelMFMVisitor::writeFont(qelMFMFile* record)
{
    if (!record)
        return -1;
    if (!record->getHeader())
        return -2;
    const int32_t count = record->getEntryCount();
    if (count < 1)
        return -3;
    if (!record->getWidthSets() || record->getWidthSets()->getCount() == 0)
        return -4;
    const int nameSize = record->getNameSize();
    if (nameSize > 0 && !record->getCodePageNames())
        return -6;
    if (openFile(record->getName()) != 0)
        return -5;

    errno = 0;
    char tag[qelMFMFile::kTagSize] = {};
    std::memcpy(tag, record->getVersionTag(), sizeof tag);
    if (!writeAll(m_file, tag, sizeof tag) || !writeAll(m_file, record->getHeader(), qelMFMFile::kHeaderSize)
        || !writeAll(m_file, record->getCodePageNames(), static_cast<size_t>(count) * nameSize))
        failWrite(errno);
    std::vector<uint8_t> bytes(qelMFMWidthSet::kWidths * 2);
    for (qelListNode* n = record->getWidthSets()->getHead(); n; n = n->next) {
        const auto* set = static_cast<const qelMFMWidthSet*>(n->item);
        // A missing array is written as zeros, keeping the file's layout.
        for (const uint16_t* widths : set->widths) {
            for (int i = 0; i < qelMFMWidthSet::kWidths; ++i) {
                const uint16_t w = widths ? widths[i] : 0;
                bytes[2 * i] = static_cast<uint8_t>(w);
                bytes[2 * i + 1] = static_cast<uint8_t>(w >> 8);
            }
            if (!writeAll(m_file, bytes.data(), bytes.size()))
                failWrite(errno);
        }
    }
    if (std::fflush(m_file) != 0 || std::ferror(m_file))
        failWrite(errno);
    FILE* file = m_file;
    m_file = nullptr;
    if (std::fclose(file) != 0) {
        m_file = nullptr;
        failWrite(errno);
    }
    m_open = 0;
    qelFontText::set(m_path, nullptr);
    return 0;
}

int qelMFMVisitor::close()
{
    if (!m_open && !m_file)
        return -1;
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
    m_open = 0;
    qelFontText::set(m_path, nullptr);
    return 0;
}
