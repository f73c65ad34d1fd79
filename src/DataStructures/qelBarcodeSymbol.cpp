#include "qelBarcodeSymbol.h"

#include "qelTextObject.h"

#include <cstring>

namespace {
// A zero-filled copy one byte longer than length; null for null bytes or a
// negative length.
unsigned char* copyBytes(const unsigned char* bytes, int length)
{
    if (!bytes || length < 0)
        return nullptr;
    unsigned char* copy = new unsigned char[static_cast<size_t>(length) + 1]();
    if (length > 0)
        std::memcpy(copy, bytes, static_cast<size_t>(length));
    return copy;
}
}

qelBarcodeSymbol::qelBarcodeSymbol() = default;

qelBarcodeSymbol::~qelBarcodeSymbol()
{
    delete[] m_data;
    delete[] m_pattern;
    delete m_hriText;
}

void qelBarcodeSymbol::draw(qelBarcodeObject*)
{
}

void qelBarcodeSymbol::setData(const unsigned char* bytes, int length)
{
    delete[] m_data;
    m_data = copyBytes(bytes, length);
    m_dataLength = m_data ? length : 0;
}

void qelBarcodeSymbol::setDataLength(int length)
{
    if (length >= 0 && length <= m_dataLength)
        m_dataLength = length;
}

void qelBarcodeSymbol::setPattern(const unsigned char* bytes, int length)
{
    delete[] m_pattern;
    m_pattern = copyBytes(bytes, length);
    m_patternLength = m_pattern ? length : 0;
}

void qelBarcodeSymbol::setHRIText(qelTextObject* text)
{
    if (text == m_hriText)
        return;
    delete m_hriText;
    m_hriText = text;
}
