#include "qel2DDataMatrixBarcodeImplementor.h"

#include "qel2DDataMatrixBarcodeSymbol.h"
#include "qelBarcodeObject.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {
using Size = qel2DDataMatrixBarcodeImplementor::SymbolSize;

Size g_sizes[qel2DDataMatrixBarcodeImplementor::SIZE_COUNT] = {
    {10, 10, 1, 8, 8, 8, 8, 3, 5, nullptr},
    {12, 12, 1, 10, 10, 10, 10, 5, 7, nullptr},
    {14, 14, 1, 12, 12, 12, 12, 8, 10, nullptr},
    {16, 16, 1, 14, 14, 14, 14, 12, 12, nullptr},
    {18, 18, 1, 16, 16, 16, 16, 18, 14, nullptr},
    {20, 20, 1, 18, 18, 18, 18, 22, 18, nullptr},
    {22, 22, 1, 20, 20, 20, 20, 30, 20, nullptr},
    {24, 24, 1, 22, 22, 22, 22, 36, 24, nullptr},
    {26, 26, 1, 24, 24, 24, 24, 44, 28, nullptr},
    {8, 18, 1, 6, 16, 6, 16, 5, 7, nullptr},
    {8, 32, 2, 6, 14, 6, 28, 10, 11, nullptr},
    {12, 26, 1, 10, 24, 10, 24, 16, 14, nullptr},
    {12, 36, 2, 10, 16, 10, 32, 22, 18, nullptr},
    {16, 36, 2, 14, 16, 14, 32, 32, 24, nullptr},
    {16, 48, 2, 14, 22, 14, 44, 49, 28, nullptr}};

// Number of square sizes at the start of the table.
const int kSquareCount = 9;

// Largest bitmap drawn, in bytes; far above what any print resolution needs.
const long kMaxBitmapBytes = 64L * 1024 * 1024;

const char* nameOf(qelBarcodeObject* object)
{
    return object && object->getName() ? object->getName() : "None";
}

bool isDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}
}

qel2DDataMatrixBarcodeImplementor::qel2DDataMatrixBarcodeImplementor()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    m_log = pool ? pool->getLogStream() : nullptr;
    m_ini = pool ? pool->getIni() : nullptr;
}

qel2DDataMatrixBarcodeImplementor::~qel2DDataMatrixBarcodeImplementor()
{
    delete[] m_bitmap;
    for (Size& size : g_sizes) {
        delete[] size.placement;
        size.placement = nullptr;
    }
}

const Size* qel2DDataMatrixBarcodeImplementor::getSymbolSize(int index)
{
    return index >= 0 && index < SIZE_COUNT ? &g_sizes[index] : nullptr;
}

int qel2DDataMatrixBarcodeImplementor::getSymbolSizeIndex(int rows, int rowSize)
{
    for (int i = 0; i < SIZE_COUNT; ++i) {
        if (g_sizes[i].rows == rows && g_sizes[i].columns == rowSize)
            return i;
    }
    return SIZE_COUNT;
}

int qel2DDataMatrixBarcodeImplementor::computeCheckValue(const char*)
{
    return 0;
}

void qel2DDataMatrixBarcodeImplementor::clear()
{
    delete[] m_bitmap;
    m_bitmap = nullptr;
    m_bitmapLength = 0;
    m_bitmapWidth = 0;
    m_bitmapHeight = 0;
    m_moduleSize = 0;
    m_mappingRows = 0;
    m_mappingColumns = 0;
    m_placement = nullptr;
}

int qel2DDataMatrixBarcodeImplementor::encodeASCII(const unsigned char* data, int length, int32_t* codewords,
                                                   int capacity, int* count)
{
    *count = 0;
    if (!data)
        return -1;
    int n = 0;
    int held = -1;
    for (int i = 0; i < length; ++i) {
        if (n >= capacity)
            return -2;
        const unsigned char b = data[i];
        if (isDigit(b)) {
            if (held < 0) {
                held = b;
            } else {
                codewords[n++] = 130 + (held - '0') * 10 + (b - '0');
                held = -1;
            }
            *count = n;
            continue;
        }
        if (held >= 0) {
            codewords[n++] = held + 1;
            held = -1;
            *count = n;
            if (n >= capacity)
                return -2;
        }
        if (b > 0x7F) {
            if (capacity - n < 2)
                return -2;
            codewords[n++] = 235;
            codewords[n++] = b - 127;
        } else {
            codewords[n++] = b + 1;
        }
        *count = n;
    }
    if (held >= 0) {
        if (n >= capacity)
            return -2;
        codewords[n++] = held + 1;
    }
    *count = n;
    return 1;
}

void qel2DDataMatrixBarcodeImplementor::computeErrorCorrection(int32_t* codewords, int dataCount, int errorCount)
{
    if (errorCount <= 0)
        return;
    std::vector<int> antilog(256);
    std::vector<int> logarithm(256);
    int value = 1;
    for (int i = 0; i < 255; ++i) {
        antilog[i] = value;
        logarithm[value] = i;
        value <<= 1;
        if (value & 0x100)
            value ^= 0x12D;
    }
    logarithm[0] = -255;
    auto multiply = [&](int a, int b) {
        if (a == 0 || b == 0)
            return 0;
        return antilog[(logarithm[a] + logarithm[b]) % 255];
    };

    // Generator coefficients, generator[k] for x^k, roots alpha^1..alpha^n.
    std::vector<int> generator(static_cast<size_t>(errorCount) + 1, 0);
    generator[0] = 1;
    for (int i = 1; i <= errorCount; ++i) {
        const int root = antilog[i % 255];
        for (int k = i; k > 0; --k)
            generator[k] = generator[k - 1] ^ multiply(generator[k], root);
        generator[0] = multiply(generator[0], root);
    }

    // Remainder of the data polynomial times x^n, highest degree first.
    std::vector<int> remainder(static_cast<size_t>(errorCount), 0);
    for (int d = 0; d < dataCount; ++d) {
        const int feedback = (codewords[d] & 0xFF) ^ remainder[0];
        for (int j = 0; j + 1 < errorCount; ++j)
            remainder[j] = remainder[j + 1] ^ multiply(feedback, generator[errorCount - 1 - j]);
        remainder[errorCount - 1] = multiply(feedback, generator[0]);
    }
    for (int j = 0; j < errorCount; ++j)
        codewords[dataCount + j] = remainder[j];
}

void qel2DDataMatrixBarcodeImplementor::placeModule(int row, int column, int codeword, int bit)
{
    if (row < 0) {
        row += m_mappingRows;
        column += 4 - ((m_mappingRows + 4) % 8);
    }
    if (column < 0) {
        column += m_mappingColumns;
        row += 4 - ((m_mappingColumns + 4) % 8);
    }
    if (row < 0 || row >= m_mappingRows || column < 0 || column >= m_mappingColumns)
        return;
    m_placement[row * m_mappingColumns + column] = 10 * codeword + bit;
}

void qel2DDataMatrixBarcodeImplementor::placeShape(int row, int column, int codeword)
{
    placeModule(row - 2, column - 2, codeword, 1);
    placeModule(row - 2, column - 1, codeword, 2);
    placeModule(row - 1, column - 2, codeword, 3);
    placeModule(row - 1, column - 1, codeword, 4);
    placeModule(row - 1, column, codeword, 5);
    placeModule(row, column - 2, codeword, 6);
    placeModule(row, column - 1, codeword, 7);
    placeModule(row, column, codeword, 8);
}

void qel2DDataMatrixBarcodeImplementor::placeCorner(int corner, int codeword)
{
    const int r = m_mappingRows;
    const int c = m_mappingColumns;
    // (row, column) of bits 1..8 of each corner shape.
    const int shapes[4][8][2] = {
        {{r - 1, 0}, {r - 1, 1}, {r - 1, 2}, {0, c - 2}, {0, c - 1}, {1, c - 1}, {2, c - 1}, {3, c - 1}},
        {{r - 3, 0}, {r - 2, 0}, {r - 1, 0}, {0, c - 4}, {0, c - 3}, {0, c - 2}, {0, c - 1}, {1, c - 1}},
        {{r - 3, 0}, {r - 2, 0}, {r - 1, 0}, {0, c - 2}, {0, c - 1}, {1, c - 1}, {2, c - 1}, {3, c - 1}},
        {{r - 1, 0}, {r - 1, c - 1}, {0, c - 3}, {0, c - 2}, {0, c - 1}, {1, c - 3}, {1, c - 2}, {1, c - 1}}};
    for (int bit = 0; bit < 8; ++bit)
        placeModule(shapes[corner][bit][0], shapes[corner][bit][1], codeword, bit + 1);
}

void qel2DDataMatrixBarcodeImplementor::placeCodewords()
{
    const int rows = m_mappingRows;
    const int columns = m_mappingColumns;
    if (!m_placement || rows <= 0 || columns <= 0)
        return;
    std::memset(m_placement, 0, sizeof(int32_t) * static_cast<size_t>(rows) * static_cast<size_t>(columns));
    auto empty = [&](int row, int column) { return m_placement[row * columns + column] == 0; };

    int codeword = 1;
    int row = 4;
    int column = 0;
    do {
        if (row == rows && column == 0)
            placeCorner(0, codeword++);
        if (row == rows - 2 && column == 0 && columns % 4 != 0)
            placeCorner(1, codeword++);
        if (row == rows - 2 && column == 0 && columns % 8 == 4)
            placeCorner(2, codeword++);
        if (row == rows + 4 && column == 2 && columns % 8 == 0)
            placeCorner(3, codeword++);
        // Up and to the right.
        do {
            if (row < rows && column >= 0 && empty(row, column))
                placeShape(row, column, codeword++);
            row -= 2;
            column += 2;
        } while (row >= 0 && column < columns);
        row += 1;
        column += 3;
        // Down and to the left.
        do {
            if (row >= 0 && column < columns && empty(row, column))
                placeShape(row, column, codeword++);
            row += 2;
            column -= 2;
        } while (row < rows && column >= 0);
        row += 3;
        column += 1;
    } while (row < rows || column < columns);

    if (empty(rows - 1, columns - 1)) {
        m_placement[(rows - 1) * columns + columns - 1] = 1;
        m_placement[(rows - 2) * columns + columns - 2] = 1;
    }
}

bool qel2DDataMatrixBarcodeImplementor::moduleIsDark(int32_t entry, const int32_t* codewords, int count,
                                                     qelBarcodeObject* object)
{
    if (entry == 0)
        return false;
    if (entry == 1)
        return true;
    const int codeword = entry / 10;
    const int bit = entry % 10;
    if (codeword > count) {
        warn(m_log, m_ini,
             "Warning! Mapping Matrix value(%d) exceeeds Codeword length(%d) for barcode(type=%s, name=%s)", codeword,
             count, object ? object->getTypeName() : "", nameOf(object));
        return false;
    }
    return bit >= 1 && bit <= 8 && ((codewords[codeword - 1] >> (8 - bit)) & 1) != 0;
}

int qel2DDataMatrixBarcodeImplementor::drawSymbol(qelBarcodeObject* object, qelBarcodeSymbol*, int sizeIndex,
                                                  const int32_t* codewords, int count)
{
    const Size* size = getSymbolSize(sizeIndex);
    if (!object || !size || !size->placement)
        return -1;
    const int mils = object->getModuleWidth() == 255 ? 14 : object->getModuleWidth();
    const float moduleSize = static_cast<float>(mils) * static_cast<float>(object->getResolution()) / 1000.0f;
    const int m = moduleSize > 0.0f ? static_cast<int>(moduleSize) : 0;
    const int rows = size->rows;
    const int columns = size->columns;
    const long width = (static_cast<long>(columns) * m + 7) / 8 * 8;
    const long height = static_cast<long>(rows) * m;
    const long bytes = height * width / 8;
    if (bytes > kMaxBitmapBytes) {
        warn(m_log, m_ini, "Warning! Barcode Symbol bitmap (%ldx%ld pixels) too large for barcode(type=%s, name=%s)",
             width, height, object->getTypeName(), nameOf(object));
        return -1;
    }
    m_moduleSize = m;
    m_bitmapWidth = static_cast<int>(width);
    m_bitmapHeight = static_cast<int>(height);
    m_bitmapLength = static_cast<int>(bytes);
    delete[] m_bitmap;
    m_bitmap = bytes > 0 ? new unsigned char[static_cast<size_t>(bytes)]() : nullptr;
    if (!m_bitmap)
        return 1;

    const long rowBytes = width / 8;
    auto setModule = [&](int moduleRow, int moduleColumn) {
        for (int y = moduleRow * m; y < (moduleRow + 1) * m; ++y) {
            unsigned char* line = m_bitmap + y * rowBytes;
            for (int x = moduleColumn * m; x < (moduleColumn + 1) * m; ++x)
                line[x >> 3] |= static_cast<unsigned char>(0x80 >> (x & 7));
        }
    };

    const int regionWidth = size->regionColumns;
    for (int c = 0; c < columns; c += 2)
        setModule(0, c);
    for (int c = 0; c < columns; ++c)
        setModule(rows - 1, c);
    for (int i = 1; i < rows - 1; ++i) {
        const bool odd = (i & 1) != 0;
        const int32_t* entries = size->placement + static_cast<long>(i - 1) * size->mappingColumns;
        int next = 0;
        for (int c = 0; c < columns; ++c) {
            bool dark;
            if (c == 0)
                dark = true;
            else if (c == columns - 1)
                dark = odd;
            else if (size->regionsAcross == 2 && c == regionWidth + 1)
                dark = odd;
            else if (size->regionsAcross == 2 && c == regionWidth + 2)
                dark = true;
            else
                dark = moduleIsDark(entries[next++], codewords, count, object);
            if (dark)
                setModule(i, c);
        }
    }
    return 1;
}

int qel2DDataMatrixBarcodeImplementor::chooseSizeFromData(const unsigned char* data, int length, int rows,
                                                          int rowSize)
{
    std::vector<int32_t> scratch(static_cast<size_t>(length) * 2 + 2);
    int needed = 0;
    if (encodeASCII(data, length, scratch.data(), static_cast<int>(scratch.size()), &needed) != 1)
        needed = 0;
    int best = SIZE_COUNT;
    int largest = SIZE_COUNT;
    const int candidates = (rows == 0 && rowSize == 0) ? kSquareCount : SIZE_COUNT;
    for (int i = 0; i < candidates; ++i) {
        const Size& s = g_sizes[i];
        if ((rows != 0 && s.rows != rows) || (rowSize != 0 && s.columns != rowSize))
            continue;
        if (largest == SIZE_COUNT || s.dataCodewords > g_sizes[largest].dataCodewords)
            largest = i;
        if (s.dataCodewords >= needed && (best == SIZE_COUNT || s.dataCodewords < g_sizes[best].dataCodewords))
            best = i;
    }
    // Too much data for every candidate: the largest reports the overflow.
    return best != SIZE_COUNT ? best : largest;
}

int qel2DDataMatrixBarcodeImplementor::encode(qelBarcodeObject* object, qelBarcodeSymbol* symbol,
                                              unsigned char** pattern, int* patternLength, int* checkValue,
                                              float* width, float* height)
{
    clear();
    if (!object || !symbol)
        return -1;

    int rows = 0;
    int rowSize = 0;
    if (auto* matrix = dynamic_cast<qel2DDataMatrixBarcodeSymbol*>(symbol)) {
        rows = matrix->getNumberOfRows();
        rowSize = matrix->getRowSize();
    }
    const unsigned char* data = symbol->getData();
    const int length = data ? symbol->getDataLength() : 0;
    int index = (rows == 0 || rowSize == 0) ? chooseSizeFromData(data, length, rows, rowSize)
                                            : getSymbolSizeIndex(rows, rowSize);
    if (index >= SIZE_COUNT) {
        logOnly(m_log, LOG_MESSAGE_BITS, "Warning! Barcode Symbol Size (%dx%d) not supported for %s", rows, rowSize,
                object->getTypeName());
        if (!m_ini || !m_ini->isQuietMode())
            qelMessageOutput::printf("Barcode Symbol Size (%dx%d) not supported for %s\n", rows, rowSize,
                                     object->getTypeName());
        return -2;
    }
    Size& size = g_sizes[index];
    const int total = size.dataCodewords + size.errorCodewords;
    std::vector<int32_t> codewords(static_cast<size_t>(total) + 1, 0);

    if (!data || length < 1) {
        warn(m_log, m_ini, "Warning! Barcode data is null or empty for barcode(type=%s, name=%s)",
             object->getTypeName(), nameOf(object));
        return -3;
    }

    int count = 0;
    const int encoded = encodeASCII(data, length, codewords.data(), size.dataCodewords, &count);
    if (encoded == -2) {
        std::string shown(reinterpret_cast<const char*>(data), static_cast<size_t>(length));
        warn(m_log, m_ini,
             "Warning! Generated data codeword length of barcode(type=%s, name=%s, data=%s) exceeds the Maximum Data "
             "Codeword Length(%d) defined for symbol size (%dx%d)",
             object->getTypeName(), nameOf(object), shown.c_str(), size.dataCodewords, size.rows, size.columns);
        return -1;
    }
    if (encoded < 0)
        return -1;
    for (int i = count; i < size.dataCodewords; ++i)
        codewords[i] = PAD_CODEWORD;

    if (m_log && m_log->anyOf(QEL_LOG_ALL)) {
        std::string shown(reinterpret_cast<const char*>(data), static_cast<size_t>(length));
        m_log->printLine("Barcode Data:(%s)", shown.c_str());
        std::string hex;
        std::string decimal;
        char item[16];
        for (int i = 0; i < size.dataCodewords; ++i) {
            std::snprintf(item, sizeof item, "%02X ", static_cast<unsigned>(codewords[i]));
            hex += item;
            std::snprintf(item, sizeof item, "%d ", codewords[i]);
            decimal += item;
        }
        m_log->printLine("DataCodeword:(%s)", hex.c_str());
        if (m_ini && m_ini->isDevTest())
            m_log->printLine("DataCodeword In ASCII:(%s)", decimal.c_str());
    }

    computeErrorCorrection(codewords.data(), size.dataCodewords, size.errorCodewords);

    m_mappingRows = size.mappingRows;
    m_mappingColumns = size.mappingColumns;
    if (!size.placement) {
        size.placement = new int32_t[static_cast<size_t>(size.mappingRows) * size.mappingColumns]();
        m_placement = size.placement;
        placeCodewords();
    }
    m_placement = size.placement;

    if (drawSymbol(object, symbol, index, codewords.data(), total) < 0) {
        clear();
        return -1;
    }

    *pattern = m_bitmap;
    *patternLength = m_bitmapLength;
    *checkValue = 0;
    *width = static_cast<float>(m_bitmapWidth);
    *height = static_cast<float>(m_bitmapHeight);
    m_bitmap = nullptr;
    m_bitmapLength = 0;
    return 1;
}
