#ifndef BARCODE_TEST_FIXTURE_H
#define BARCODE_TEST_FIXTURE_H

#include "qelBarcodeObject.h"
#include "qelBarcodeSymbol.h"
#include "qelMessageOutput.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

// Captures the message output and tears the pool down after each test.
class BarcodeFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_output = std::tmpfile();
        qelMessageOutput::set(m_output);
    }
    void TearDown() override
    {
        qelMessageOutput::set(nullptr);
        if (m_output)
            std::fclose(m_output);
        qelUtils::releaseGlobals();
    }
    std::string messages()
    {
        std::string text;
        if (!m_output)
            return text;
        std::fflush(m_output);
        std::rewind(m_output);
        char buffer[1024];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, m_output)) > 0)
            text.append(buffer, n);
        return text;
    }

    static std::unique_ptr<qelBarcodeObject> makeObject(uint32_t type, uint8_t modifier, int32_t moduleWidth,
                                                        uint16_t resolution, float ratio = 3.0f,
                                                        int32_t elementHeight = 0xFFFF)
    {
        auto object = std::make_unique<qelBarcodeObject>();
        object->setBarcodeType(type);
        object->setModifier(modifier);
        object->setModuleWidth(moduleWidth);
        object->setResolution(resolution);
        object->setWideToNarrowRatio(ratio);
        object->setElementHeight(elementHeight);
        return object;
    }

    static void setText(qelBarcodeSymbol& symbol, const std::string& data)
    {
        symbol.setData(reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
    }

    static std::string patternText(const qelBarcodeSymbol& symbol)
    {
        const unsigned char* p = symbol.getPattern();
        return p ? std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(symbol.getPatternLength()))
                 : std::string();
    }

    FILE* m_output = nullptr;
};

#endif
