#ifndef GD_RASTER_FIXTURE_H
#define GD_RASTER_FIXTURE_H

#include "ScratchFolder.h"

#include "qelGDImplementor.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelMessageOutput.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

// Fresh pool per test, console texts captured, a scratch directory.
class GDRasterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_console = std::tmpfile();
        qelMessageOutput::set(m_console);
        ini = qelGlobalDSPool::getInstance()->getIni();
        m_folder.reset(new lrbtest::ScratchFolder());
        scratch = m_folder->path() + "/";
    }
    void TearDown() override
    {
        qelUtils::releaseGlobals();
        qelMessageOutput::set(nullptr);
        if (m_console)
            std::fclose(m_console);
        m_folder.reset();
    }

    // A 240-unit page drawn at 300 dpi: scale 1.25.
    static void page(qelGDImplementor& gd, int width, int height, int colorFlag)
    {
        gd.initializePage(width, height, 240, 300, 0, 0, 8, colorFlag, 0, 1);
    }
    static int pixelRGB(gdImagePtr im, int x, int y)
    {
        const int c = gdImageGetPixel(im, x, y);
        return gdImageRed(im, c) | gdImageGreen(im, c) << 8 | gdImageBlue(im, c) << 16;
    }
    static bool isWhite(gdImagePtr im, int x, int y) { return pixelRGB(im, x, y) == 0xFFFFFF; }

    qelIni* ini = nullptr;
    std::string scratch;

private:
    FILE* m_console = nullptr;
    std::unique_ptr<lrbtest::ScratchFolder> m_folder;
};

#endif
