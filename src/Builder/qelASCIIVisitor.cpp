#include "qelASCIIVisitor.h"

#include "qelAFPFont.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelGlobalRes.h"
#include "qelIPSLPDPage.h"
#include "qelIPSPage.h"
#include "qelImageObject.h"
#include "qelIni.h"
#include "qelLineObject.h"
#include "qelLogStream.h"
#include "qelMedia.h"
#include "qelPage.h"
#include "qelPageCoordinateTransformer.h"
#include "qelRasterPage.h"
#include "qelString.h"
#include "qelTextObject.h"
#include "qelUtils.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
bool isWhite(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
} // namespace

qelASCIIVisitor::qelASCIIVisitor()
{
    setOutputType("txt");
    if (qelPageCoordinateTransformer* t = getTransformer())
        t->setAxisMode(2);
    if (qelIni* ini = getOptions())
        m_standardOutput = ini->isStdOut() ? 1 : 0;
}

qelASCIIVisitor::~qelASCIIVisitor()
{
    if (m_file && !m_standardOutput)
        std::fclose(m_file);
    delete m_memoryText;
}

void qelASCIIVisitor::setDocumentPageCount(int count)
{
    qelVisitor::setDocumentPageCount(count);
}

int qelASCIIVisitor::initializeDoc(qelDocument* document)
{
    if (!document)
        return -1;
    setPageNumber(0);
    qelVisitor::initializeDoc(document);
    setPageCount(0);
    qelIni* ini = getOptions();
    const bool memory = ini && ini->isMemoryOutputStream();
    if (!memory && !m_file) {
        if (m_standardOutput) {
            m_file = stdout;
        } else {
            const char* name = getOutputFileName();
            if (name && *name)
                m_file = std::fopen(name, "w");
        }
    }
    if (m_file || memory)
        m_documentOpen = 1;
    return 1;
}

void qelASCIIVisitor::initializePage(qelPage* page)
{
    qelVisitor::initializePage(page);
    setPageCount(getPageCount() + 1);
    setPageNumber(getPageNumber() + 1);
    setOutputPageSize(0, 0, getOutputResolution());
    setPageOffset(qelPageOffset{0, 0});

    long width = 0, height = 0, resolution = 0, charSpacing = 0, lineSpacing = 0, columns = 0;
    if (page && (page->kind() == qelPage::KIND_AFP || page->kind() == qelPage::KIND_IPS)) {
        const qelMedia* media = dynamic_cast<const qelMedia*>(page);
        if (media) {
            width = media->getWidth();
            height = media->getHeight();
            resolution = media->getResolution();
            charSpacing = media->getSmallestCharWidth();
            lineSpacing = media->getSmallestCharHeight();
        }
        if (auto* ips = dynamic_cast<const qelIPSPage*>(page)) {
            if (auto* lineData = dynamic_cast<const qelIPSLPDPage*>(ips)) {
                if (resolution == 0)
                    resolution = 72;
                columns = lineData->getLongestRecord();
            } else if (auto* raster = dynamic_cast<const qelRasterPage*>(ips)) {
                const long pixelResolution = raster->getXResolution() > 0 ? raster->getXResolution() : 240;
                const long res = resolution > 0 ? resolution : 240;
                width = width * res / pixelResolution;
                height = height * res / pixelResolution;
            }
            if (resolution == 0)
                resolution = 240;
        }
    }

    const double c = charSpacing == 9999 ? 100 : charSpacing;
    const double l = lineSpacing == 9999 ? 120 : lineSpacing;
    m_cellWidth = qelUtils::roundHalfDown(c / 10.0);
    m_cellHeight = qelUtils::roundHalfDown(l / 10.0);
    if (resolution == 0)
        resolution = 240;
    int m = qelUtils::roundHalfDown(resolution / 240.0);
    if (m < 1)
        m = 1;
    m_cellWidth *= m;
    m_cellHeight *= m;
    m_rowTolerance = static_cast<int32_t>(width / 100 / m);
    // A cell of size 0 would divide by zero below and in setCell.
    if (m_cellWidth < 1)
        m_cellWidth = 1;
    if (m_cellHeight < 1)
        m_cellHeight = 1;

    const int rotation = page ? page->getRotation() : 0;
    if (rotation == 0 || rotation == 90 || rotation == 180 || rotation == 270) {
        m_rotation = static_cast<int16_t>(rotation);
    } else {
        const int configured = getOptions() ? getOptions()->getPageRotation() : 0;
        m_rotation = static_cast<int16_t>(configured == 90 || configured == 180 || configured == 270 ? configured : 0);
    }
    const bool turned = m_rotation == 90 || m_rotation == 270;

    long cols = columns > 0 ? columns : (getOptions() ? getOptions()->getMaxCols() : 0);
    if (cols <= 0) {
        cols = turned ? height / m_cellHeight : width / m_cellWidth;
    } else {
        m_cellWidth = static_cast<int32_t>(width / cols);
        if (m_cellWidth < 1)
            m_cellWidth = 1;
    }
    const int maxRows = getOptions() ? getOptions()->getMaxRows() : 0;
    long rows = 0;
    if (maxRows > 0) {
        rows = maxRows;
        m_cellHeight = static_cast<int32_t>(height / rows);
        if (m_cellHeight < 1)
            m_cellHeight = 1;
    } else {
        rows = turned ? width / m_cellWidth : height / m_cellHeight;
    }
    // Bound the grid so that a damaged page size cannot ask for an
    // unbounded buffer.
    if (cols < 0)
        cols = 0;
    if (rows < 0)
        rows = 0;
    if (cols > 32767)
        cols = 32767;
    if (rows > 32767)
        rows = 32767;
    m_columns = static_cast<int32_t>(cols);
    m_rows = static_cast<int32_t>(rows);
    if (turned)
        setOutputPageSize(m_columns, m_rows, getOutputResolution());
    else
        setOutputPageSize(m_rows, m_columns, getOutputResolution());

    m_grid.clear();
    m_pageOpen = true;
    m_lastBaseline = 0;
}

qelPageCoordinateTransformer* qelASCIIVisitor::getPresentationOrigin()
{
    qelPageCoordinateTransformer* t = getTransformer();
    if (t)
        t->setAxisMode(2);
    return t;
}

void qelASCIIVisitor::setCell(int x, int y)
{
    if (m_lastBaseline == 0)
        m_lastBaseline = y;
    if (std::abs(m_lastBaseline - y) < m_rowTolerance)
        y = m_lastBaseline;
    m_lastBaseline = y;
    int column = qelUtils::roundHalfDown(static_cast<double>(x) / m_cellWidth);
    if (column < 1)
        column = 1;
    int row = qelUtils::roundHalfDown(static_cast<double>(y) / m_cellHeight);
    const int first = getOutputPageWidth();
    const int second = getOutputPageHeight();
    if (m_rotation == 90 || m_rotation == 270) {
        const int c = column;
        column = row;
        row = second - c;
    } else if (m_rotation == 180) {
        row = first - row;
        column = second - column;
    }
    m_column = column;
    m_row = row;
}

char qelASCIIVisitor::getCell(int row, int column) const
{
    const auto line = m_grid.find(row);
    if (line == m_grid.end() || column < 0 || static_cast<size_t>(column) >= line->second.size())
        return ' ';
    return line->second[static_cast<size_t>(column)];
}

char& qelASCIIVisitor::cellAt(long index, RowCursor& cursor)
{
    // A run stays on one row but for its wrapped end: the row is looked up
    // once, not per character.
    if (!cursor.line || index < cursor.rowStart || index >= cursor.rowStart + m_columns) {
        const long row = index / m_columns;
        cursor.line = &m_grid[static_cast<int32_t>(row)];
        cursor.rowStart = row * m_columns;
    }
    std::string& line = *cursor.line;
    const size_t column = static_cast<size_t>(index - cursor.rowStart);
    if (line.size() == column)
        line.push_back(' ');
    else if (line.size() < column)
        line.resize(column + 1, ' ');
    return line[column];
}

void qelASCIIVisitor::putText(const char* text, int length, int direction)
{
    if (!text || length <= 0 || !m_pageOpen)
        return;
    const long n = static_cast<long>(m_rows) * m_columns;
    const long index = static_cast<long>(m_row) * m_columns + m_column;
    long step = 0, start = index;
    switch (direction) {
    case 0: step = 1; break;
    case 180: step = -1; start = index + length; break;
    case 90: step = -m_columns; break;
    case 270: step = m_columns; break;
    default: return;
    }
    const long last = start + step * (length - 1);
    if (start < 0 || start >= n || last < 0 || last >= n) {
        m_overflow = 1;
        return;
    }
    const bool vertical = direction == 90 || direction == 270;
    RowCursor cursor;
    for (int i = 0; i < length; ++i) {
        char& cell = cellAt(start + step * i, cursor);
        char ch = text[i];
        if (vertical) {
            cell = ch == '-' ? '|' : ch;
        } else if (cell == ' ') {
            cell = ch;
        }
    }
}

void qelASCIIVisitor::writeRun(const char* text, int length, int direction, float advance, const Run* previous)
{
    qelPageCoordinateTransformer* t = getTransformer();
    setCell(static_cast<int>(t->getX()), static_cast<int>(t->getY()));
    if (previous && previous->length > 0)
        keepApart(*previous, length, direction);
    putText(text, length, direction);
    t->moveInline(length * advance);
}

void qelASCIIVisitor::keepApart(const Run& previous, int length, int direction)
{
    // Rounding the word's position to a cell can put it right against the
    // word before it; a blank cell stays between the words of one text.
    switch (direction) {
    case 0:
        if (m_row == previous.row && m_column < previous.column + previous.length + 1)
            m_column = previous.column + previous.length + 1;
        break;
    case 180:
        if (m_row == previous.row && m_column > previous.column - length - 1)
            m_column = previous.column - length - 1;
        break;
    case 270:
        if (m_column == previous.column && m_row < previous.row + previous.length + 1)
            m_row = previous.row + previous.length + 1;
        break;
    case 90:
        if (m_column == previous.column && m_row > previous.row - previous.length - 1)
            m_row = previous.row - previous.length - 1;
        break;
    default:
        break;
    }
}

void qelASCIIVisitor::writeTextObject(qelTextObject* text)
{
    qelPageCoordinateTransformer* t = getTransformer();
    if (!text || !t)
        return;
    computeTextPosition(text);
    const int textResolution = text->getResolution() ? text->getResolution() : 240;
    float increment = text->getWordSpacing();
    if (increment == 65535.0f || increment < 0)
        increment = 0;
    const int s = static_cast<int>(increment * t->getResolution() / textResolution);

    const int iAxis = text->getIAxisOrientation();
    text->setAngle(static_cast<float>(iAxis), false);
    const int angle = static_cast<int>(text->getAngle());
    int direction = angle == 90 || angle == 180 || angle == 270 ? angle : 0;
    if (direction == 0) {
        direction = m_rotation;
    } else {
        direction -= m_rotation;
        if (direction < 0)
            direction += 360;
    }

    const char* chars = text->getText();
    if (text->getSuppressed() || text->getRemoved()) {
        qelLogStream* log = getLog();
        if (log && log->anyOf(QEL_LOG_FONT))
            log->print(text->getRemoved() ? "\n\tText: %s: Removed" : "\n\tText: %s: Suppressed",
                       chars ? chars : "");
        return;
    }
    if (!chars)
        return;
    const int length = static_cast<int>(std::strlen(chars));
    const float advance = static_cast<float>(iAxis == 90 || iAxis == 270 ? m_cellHeight : m_cellWidth);
    if (s == 0) {
        writeRun(chars, length, direction, advance);
        return;
    }
    int wordStart = 0;
    Run previous;
    for (int i = 0; i <= length; ++i) {
        if (i < length && chars[i] != ' ')
            continue;
        if (i > wordStart) {
            writeRun(chars + wordStart, i - wordStart, direction, advance, &previous);
            previous = Run{m_row, m_column, i - wordStart};
        }
        if (i < length)
            t->moveInline(static_cast<float>(s));
        wordStart = i + 1;
    }
}

void qelASCIIVisitor::writeLineObject(qelLineObject* line)
{
    if (line)
        computeTextPosition(line);
}

void qelASCIIVisitor::writeImageObject(qelImageObject* image)
{
    qelPageCoordinateTransformer* t = getTransformer();
    if (!image || !t)
        return;
    image->setAngle(static_cast<float>(image->getIAxisOrientation()), false);
    t->setOrientation(image->getIAxisOrientation(), image->getBAxisOrientation());
    const qelPageOffset offset = getPageOffset();
    if (offset.x != 0 || offset.y != 0) {
        t->moveInline(static_cast<float>(offset.x));
        t->moveBaseline(static_cast<float>(offset.y));
    }
}

void qelASCIIVisitor::writeBarcodeObject(qelBarcodeObject*)
{
    qelLogStream* log = getLog();
    if (log && log->anyOf(QEL_LOG_GENERAL))
        log->printLine("writeBarcodeObject not implemented for ASCII Output");
}

void qelASCIIVisitor::finalizePage()
{
    if (!m_pageOpen)
        return;
    const int maxRows = getOptions() ? getOptions()->getMaxRows() : 0;
    const int limit = maxRows > 0 ? qelUtils::roundHalfDown(maxRows / 100.0) : 5;
    std::string out;
    int blanks = 0;
    bool appended = false;
    auto line = m_grid.cbegin();
    for (int r = 0; r < m_rows; ++r) {
        if (blanks > limit) {
            if (appended)
                out += "\n";
            blanks = 0;
        }
        // Cells past a row's end and rows without text are blank.
        if (line == m_grid.cend() || line->first != r) {
            ++blanks;
            continue;
        }
        const char* row = line->second.data();
        int end = static_cast<int>(line->second.size());
        ++line;
        while (end > 0 && isWhite(row[end - 1]))
            --end;
        int begin = 0;
        while (begin < end && isWhite(row[begin]))
            ++begin;
        if (begin == end) {
            ++blanks;
            continue;
        }
        out.append(row, static_cast<size_t>(end));
        out += "\n";
        appended = true;
        blanks = 0;
        ++m_lineCount;
        if (end > m_longestLine)
            m_longestLine = end;
    }
    if (!(getOptions() && getOptions()->hasSwitch("SV"))) {
        char mark[64];
        std::snprintf(mark, sizeof mark, "- Page %d - \n", getPageCount());
        out += mark;
    }
    if (!out.empty()) {
        if (getOptions() && getOptions()->isMemoryOutputStream()) {
            if (!m_memoryText)
                m_memoryText = new qelString();
            m_memoryText->appendN(out.data(), static_cast<int>(out.size()));
        } else if (m_file && m_writeError == 0) {
            if (std::fwrite(out.data(), 1, out.size(), m_file) != out.size())
                writeFailed(errno);
        }
    }
    m_grid.clear();
    m_pageOpen = false;
}

void qelASCIIVisitor::writeFailed(int error)
{
    if (m_writeError == 0)
        m_writeError = error != 0 ? error : EIO;
}

void qelASCIIVisitor::cleanup()
{
    // Buffered text fails only when flushed on a full disk.
    if (m_file && !m_standardOutput) {
        if (std::fclose(m_file) != 0)
            writeFailed(errno);
    } else if (m_file && std::fflush(m_file) != 0) {
        writeFailed(errno);
    }
    m_file = nullptr;
    const int writeError = m_writeError;
    m_writeError = 0;
    if (getErrorState() || (writeError != 0 && !m_standardOutput)) {
        if (getOutputFileName())
            qelUtils::deleteFile(getOutputFileName());
    } else if (m_memoryText) {
        setOutputBufferSize(m_memoryText->getLength());
        setOutputBuffer(m_memoryText->getBuffer());
    }
    setPageCount(0);
    setPageNumber(0);
    m_documentOpen = 0;
    if (writeError != 0) {
        const char* name = getOutputFileName();
        throw new qelException(__FILE__, __LINE__, qelMsg::E075, 0, true, name ? name : "",
                               std::strerror(writeError));
    }
}

void qelASCIIVisitor::setDefaultFont(qelTextObject* text, qelMappedRes*, qelAFPFont* font, bool detailed)
{
    if (qelLogStream* log = getLog())
        log->logOutputText(text, font);
    if (!detailed || !font)
        return;
    // A coded font stands for the font of its character set.
    if (font->getCodedFontName() && font->getCharacterSetName()) {
        qelGlobalRes* res = qelGlobalDSPool::getInstance()->getGlobalRes();
        if (auto* named = dynamic_cast<qelAFPFont*>(res ? res->findResource(font->getCharacterSetName(), 3) : nullptr))
            font = named;
    }
    resolveCodePage(text, font, true);
}

qelVisitor* qelCreateASCIIVisitor(int, bool, bool)
{
    return new qelASCIIVisitor();
}
