// AFP font representations made by hand for the font builder tests: a raster
// or outline character set with a few characters, prepared for one code page
// as the outputs prepare it (glyph names by code point, code range, space
// code point and the space and default character names).
#pragma once

#include "ScratchTest.h"

#include "qelAFPCharMetrics.h"
#include "qelAFPFontMetrics.h"
#include "qelAFPFontRepresentation.h"
#include "qelFontGlyph.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace buildtest {

struct Glyph
{
    Glyph(const char* name = "", const char* program = "") : gcgid(name), programName(program) {}

    std::string gcgid;
    int increment = 40;
    int aSpace = 0;
    int cSpace = 0;
    int ascender = 20;
    int descender = 0;
    int width = 8;
    int height = 20;
    // -1: a full pattern of 0xFF bytes.
    int rasterLength = -1;
    std::string programName;
};

// The font and what the output prepares on it; owns the glyph names.
struct Font
{
    std::unique_ptr<qelAFPFontRepresentation> rep;
    qelAFPFontMetrics* metrics = nullptr;
    char* names[256] = {};

    Font()
    {
        rep.reset(new qelAFPFontRepresentation);
        rep->setCharacterSetName("C0TEST10");
        rep->setPatternTechnology(5);
        rep->setFontResolutionY(240);
        rep->setResolution(240);
        rep->setUnitsPerUnitBase(2400);
        rep->setHeight(120);
        metrics = new qelAFPFontMetrics;
        metrics->addOrientation(0);
        metrics->setMaxAscenderHeight(0, 30);
        metrics->setMaxDescenderDepth(0, 8);
        metrics->setMaxCharIncrement(0, 100);
        metrics->setSpaceCharIncrement(0, 20);
        metrics->setMinASpace(0, 0);
        rep->setMetrics(metrics);
        rep->setSpaceCodePoint(0x40);
        rep->setSpaceCharName("SP010000");
        rep->setDefaultCharName("SP010000");
    }
    ~Font()
    {
        rep->setGCGIDArray(nullptr);
        for (char* n : names)
            delete[] n;
    }
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // The characters' metrics and patterns.
    void setGlyphs(const std::vector<Glyph>& glyphs)
    {
        const int n = static_cast<int>(glyphs.size());
        auto** list = new qelCharMetrics*[n];
        auto** patterns = new qelFontGlyph*[n];
        for (int i = 0; i < n; ++i) {
            const Glyph& g = glyphs[static_cast<size_t>(i)];
            auto* cm = new qelAFPCharMetrics;
            cm->setGlyphName(g.gcgid.c_str());
            if (!g.programName.empty())
                cm->setFontSpecificName(g.programName.c_str());
            cm->setCharIncrement(0, static_cast<uint16_t>(g.increment));
            cm->setASpace(0, static_cast<int16_t>(g.aSpace));
            cm->setCSpace(0, static_cast<int16_t>(g.cSpace));
            cm->setBSpace(0, static_cast<uint16_t>(g.width));
            cm->setAscenderHeight(0, static_cast<int16_t>(g.ascender));
            cm->setDescenderDepth(0, static_cast<int16_t>(g.descender));
            auto* glyph = new qelFontGlyph;
            glyph->setWidth(static_cast<uint16_t>(g.width));
            glyph->setHeight(static_cast<uint16_t>(g.height));
            const int full = (g.width + 7) / 8 * g.height;
            const std::vector<uint8_t> raster(static_cast<size_t>(g.rasterLength < 0 ? full : g.rasterLength), 0xFF);
            glyph->setRaster(raster.data(), static_cast<int32_t>(raster.size()));
            patterns[i] = glyph;
            cm->setGlyph(glyph);
            list[i] = cm;
        }
        metrics->setGlyphList(patterns, n);
        metrics->setCharMetricsList(list, n);
    }

    // Glyph names by code, the code range and the count, as the outputs set
    // them before a conversion.
    void setCodes(const std::vector<std::pair<int, const char*>>& codes)
    {
        int first = 255, last = 0;
        for (const auto& c : codes) {
            delete[] names[c.first];
            names[c.first] = nullptr;
            if (c.second) {
                names[c.first] = new char[std::strlen(c.second) + 1];
                std::strcpy(names[c.first], c.second);
            }
            first = std::min(first, c.first);
            last = std::max(last, c.first);
        }
        rep->setGCGIDArray(names);
        rep->setGCGIDCount(static_cast<int32_t>(codes.size()));
        rep->setFirstChar(first);
        rep->setLastChar(last);
    }
};

inline std::string reasonOf(const lrbtest::Raised& r)
{
    const size_t at = r.message.find("Reason: ");
    return at == std::string::npos ? r.message : r.message.substr(at + 8);
}

} // namespace buildtest
