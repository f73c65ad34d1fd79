#include "qelCODE128BarcodeImplementor.h"

#include "qelBarcodeObject.h"
#include "qelBarcodeSymbol.h"
#include "qelGlobalDSPool.h"

#include <algorithm>
#include <cstring>

namespace {
// Element widths (bar, space, ...) of the symbol values 0..106.
const char* const kWidths[107] = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213",
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132",
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331",
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214",
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141",
    "114131", "311141", "411131", "211412", "211214", "211232", "2331112"};

const unsigned char kNoValue = 0xFF;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
}

qelCODE128BarcodeImplementor::qelCODE128BarcodeImplementor()
{
    init();
}

qelCODE128BarcodeImplementor::~qelCODE128BarcodeImplementor() = default;

void qelCODE128BarcodeImplementor::init()
{
    for (int b = 0; b < 128; ++b)
        m_codeSetB[b] = b < 0x20 ? kNoValue : static_cast<unsigned char>(b - 0x20);
    for (int v = 0; v < 107; ++v) {
        char* out = m_patterns[v];
        bool bar = true;
        for (const char* w = kWidths[v]; *w; ++w, bar = !bar) {
            for (int i = 0; i < *w - '0'; ++i)
                *out++ = bar ? 'b' : 's';
        }
        *out = 0;
    }
    m_codeSet = CODE_SET_B;
}

const char* qelCODE128BarcodeImplementor::getPattern(int value) const
{
    return value >= 0 && value <= VALUE_STOP ? m_patterns[value] : "";
}

int qelCODE128BarcodeImplementor::chooseCodeSet(const char* data, int length)
{
    if (!data || length <= 0)
        return CODE_SET_B;
    for (int i = 0; i < length; ++i) {
        if (!isDigit(data[i]))
            return CODE_SET_B;
    }
    return CODE_SET_C;
}

int qelCODE128BarcodeImplementor::collectValues(const char* data, int length, std::vector<int>& values) const
{
    values.clear();
    if (m_fnc1)
        values.push_back(VALUE_FNC1);
    if (m_codeSet == CODE_SET_C) {
        int i = 0;
        for (; i + 1 < length; i += 2)
            values.push_back((data[i] - '0') * 10 + (data[i + 1] - '0'));
        if (i < length) {
            values.push_back(VALUE_CODE_B);
            values.push_back(m_codeSetB[static_cast<unsigned char>(data[i])]);
        }
        return 1;
    }
    for (int i = 0; i < length; ++i) {
        unsigned char b = static_cast<unsigned char>(data[i]);
        if (b > 0x7F || m_codeSetB[b] == kNoValue)
            return -1;
        values.push_back(m_codeSetB[b]);
    }
    return 1;
}

int qelCODE128BarcodeImplementor::checkValue(const char* data, int length) const
{
    int start;
    if (m_codeSet == CODE_SET_B)
        start = VALUE_START_B;
    else if (m_codeSet == CODE_SET_C)
        start = VALUE_START_C;
    else
        return -1;
    std::vector<int> values;
    // A byte outside code set B is refused when the pattern is built.
    collectValues(data, length, values);
    long sum = start;
    for (size_t i = 0; i < values.size(); ++i)
        sum += static_cast<long>(i + 1) * values[i];
    return static_cast<int>(sum % 103);
}

int qelCODE128BarcodeImplementor::computeCheckValue(const char* text)
{
    if (!text)
        return -1;
    return checkValue(text, static_cast<int>(std::strlen(text)));
}

int qelCODE128BarcodeImplementor::encodeCodeSetB(const char* data, int length, std::string& pattern)
{
    for (int i = 0; i < length; ++i) {
        unsigned char b = static_cast<unsigned char>(data[i]);
        if (b > 0x7F || m_codeSetB[b] == kNoValue) {
            qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
            warn(pool ? pool->getLogStream() : nullptr, pool ? pool->getIni() : nullptr,
                 "Code128 Barcode Symbol Data has characters that does not belong to CharsetB");
            return -1;
        }
        pattern += getPattern(m_codeSetB[b]);
    }
    return 1;
}

int qelCODE128BarcodeImplementor::encodeCodeSetC(const char* digits, int length, std::string& pattern)
{
    int i = 0;
    for (; i + 1 < length; i += 2)
        pattern += getPattern((digits[i] - '0') * 10 + (digits[i + 1] - '0'));
    if (i < length) {
        pattern += getPattern(VALUE_CODE_B);
        pattern += getPattern(m_codeSetB[static_cast<unsigned char>(digits[i])]);
    }
    return 1;
}

int qelCODE128BarcodeImplementor::encode(qelBarcodeObject* object, qelBarcodeSymbol* symbol, unsigned char** pattern,
                                         int* patternLength, int* checkValueOut, float* width, float* height)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    qelIni* ini = pool ? pool->getIni() : nullptr;
    if (!object || !symbol)
        return -1;
    const char* data = reinterpret_cast<const char*>(symbol->getData());
    if (!data) {
        warn(log, ini, "Code128 Barcode Symbol Data is NULL");
        return -1;
    }
    const int length = symbol->getDataLength();

    m_codeSet = chooseCodeSet(data, length);
    // UCC/EAN 128 marks its data with FNC1 right after the start character.
    m_fnc1 = object->getModifier() != 2;
    const int check = checkValue(data, length);
    if (check < 0)
        return -1;

    std::string modules;
    int result;
    if (m_codeSet == CODE_SET_C) {
        modules = getPattern(VALUE_START_C);
        if (m_fnc1)
            modules += getPattern(VALUE_FNC1);
        result = encodeCodeSetC(data, length, modules);
    } else {
        modules = getPattern(VALUE_START_B);
        if (m_fnc1)
            modules += getPattern(VALUE_FNC1);
        result = encodeCodeSetB(data, length, modules);
    }
    if (result < 0)
        return -1;
    modules += getPattern(check);
    modules += getPattern(VALUE_STOP);

    const double resolution = object->getResolution();
    const double inches = modules.size() * 0.0125;
    unsigned char* out = new unsigned char[modules.size() + 1];
    std::memcpy(out, modules.c_str(), modules.size() + 1);
    *pattern = out;
    *patternLength = static_cast<int>(modules.size());
    *checkValueOut = check;
    *width = static_cast<float>(resolution * inches);
    *height = static_cast<float>(resolution * std::max(0.15 * inches, 0.25));
    return 1;
}
