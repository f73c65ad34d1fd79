#include "qelMFMParser.h"

#include "qelException.h"
#include "qelFontText.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelMFMFile.h"
#include "qelMessageOutput.h"
#include "qelString.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {
bool isRegularFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Reads size bytes; false on a read error (a short read at the end of the
// file is not one).
bool readSome(FILE* file, void* data, size_t size)
{
    const size_t got = std::fread(data, 1, size, file);
    return got == size || !std::ferror(file);
}
}

qelMFMParser::qelMFMParser()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    m_log = pool ? pool->getLogStream() : nullptr;
}

qelMFMParser::~qelMFMParser()
{
    close();
}

int qelMFMParser::openFile(const char* characterSetName)
{
    if (!characterSetName)
        return -1;
    close();
    std::string path = qelMFMFile::filePath(characterSetName, true);
    if (!isRegularFile(path)) {
        if (std::strlen(characterSetName) > 8 || std::strlen(characterSetName) < 2)
            return -3;
        std::string other = characterSetName;
        // "?" was tried as "0" already.
        other[1] = other[1] == '0' || other[1] == '?' ? '1' : '0';
        path = qelMFMFile::filePath(other.c_str(), true);
        if (!isRegularFile(path))
            return -3;
    }
    qelFontText::set(m_path, path.c_str());
    if (!m_path)
        return -2;
    // Read only: a reader has no business changing the file.
    m_file = std::fopen(path.c_str(), "rb");
    if (!m_file) {
        const int error = errno;
        qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
        qelIni* ini = pool ? pool->getIni() : nullptr;
        if (!ini || !ini->isQuietMode())
            qelMessageOutput::printf("Error! Unable to open MFM file %s: %s\n", path.c_str(), std::strerror(error));
        if (m_log && m_log->anyOf(QEL_LOG_FONT))
            m_log->printLine("Error! Unable to open MFM file %s: %s", path.c_str(), std::strerror(error));
        qelFontText::set(m_path, nullptr);
        return -4;
    }
    m_open = 1;
    return 0;
}

void qelMFMParser::failRead(qelMFMFile* record, int error)
{
    const std::string path = qelFontText::get(m_path) ? qelFontText::get(m_path) : "";
    close();
    delete record;
    throw new qelException(__FILE__, __LINE__, qelMsg::E073, 0, true, path.c_str(),
                           std::strerror(error ? error : EIO));
}

qelMFMFile* qelMFMParser::parse(const char* characterSetName)
{
    if (!characterSetName || qelString::compare(characterSetName, "DEFAULT", true, 0))
        return nullptr;
    if (openFile(characterSetName) != 0)
        return nullptr;

    long fileSize = -1;
    if (std::fseek(m_file, 0, SEEK_END) == 0)
        fileSize = std::ftell(m_file);
    std::rewind(m_file);

    auto* record = new qelMFMFile();
    record->setName(characterSetName);
    errno = 0;
    char tag[qelMFMFile::kTagSize + 1] = {};
    if (!readSome(m_file, tag, qelMFMFile::kTagSize))
        failRead(record, errno);
    record->setVersion(tag);
    auto* header = new uint8_t[qelMFMFile::kHeaderSize]();
    if (!readSome(m_file, header, qelMFMFile::kHeaderSize)) {
        delete[] header;
        failRead(record, errno);
    }
    record->setHeader(header);

    const int64_t count = record->getEntryCount();
    const int nameSize = record->getNameSize();
    // The entries must fit into the file before anything is allocated for
    // them.
    const int64_t needed = qelMFMFile::kTagSize + qelMFMFile::kHeaderSize
                           + count * (nameSize + static_cast<int64_t>(qelMFMFile::kWidthSetSize));
    if (count < 1 || fileSize < 0 || needed > fileSize) {
        close();
        delete record;
        return nullptr;
    }
    if (nameSize > 0) {
        const size_t size = static_cast<size_t>(count) * nameSize;
        auto* names = new char[size]();
        if (!readSome(m_file, names, size)) {
            delete[] names;
            failRead(record, errno);
        }
        record->setCodePageNames(names);
    }
    std::vector<uint8_t> bytes(qelMFMFile::kWidthSetSize);
    for (int64_t i = 0; i < count; ++i) {
        std::fill(bytes.begin(), bytes.end(), 0);
        if (!readSome(m_file, bytes.data(), bytes.size()))
            failRead(record, errno);
        auto* set = new qelMFMWidthSet();
        for (int r = 0; r < 4; ++r) {
            set->widths[r] = new uint16_t[qelMFMWidthSet::kWidths];
            const uint8_t* p = bytes.data() + static_cast<size_t>(r) * qelMFMWidthSet::kWidths * 2;
            for (int k = 0; k < qelMFMWidthSet::kWidths; ++k)
                set->widths[r][k] = static_cast<uint16_t>(p[2 * k] | p[2 * k + 1] << 8);
        }
        record->addWidthSet(set);
    }
    close();
    return record;
}

int qelMFMParser::close()
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
