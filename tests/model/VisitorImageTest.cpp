#include "RecordingVisitor.h"

#include "qelGlobalDSPool.h"
#include "qelImgDIB.h"
#include "qelImgDIBHeader.h"
#include "qelImgDIBUtils.h"
#include "qelIni.h"
#include "qelOutputScale.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using DIBPtr = std::unique_ptr<qelImgDIB>;

class VisitorImageTest : public ::testing::Test
{
protected:
    void TearDown() override { qelUtils::releaseGlobals(); }
    qelIni* ini() { return qelGlobalDSPool::getInstance()->getIni(); }
    // 8-bit grey: left half 100, right half 160.
    DIBPtr bitmap()
    {
        std::vector<unsigned char> table(1024);
        for (int i = 0; i < 256; ++i)
            table[4 * i] = table[4 * i + 1] = table[4 * i + 2] = static_cast<unsigned char>(i);
        DIBPtr dib(qelImgDIBUtils::createDIBFromData(8, 4, 8, 300, 300, 256, table.data(), 0));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x)
                dib->bits[y * 8 + x] = x < 4 ? 100 : 160;
        return dib;
    }
};

TEST_F(VisitorImageTest, ApplyThresholdFollowsTheSampler)
{
    ASSERT_TRUE(ini());
    DIBPtr dib = bitmap();
    const struct
    {
        unsigned char sampler;
        bool result;
    } cases[] = {{50, true}, {101, true}, {102, false}, {0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sampler);
        ini()->setBWSampler(c.sampler);
        RecordingVisitor v;
        DIBPtr out(v.applyThreshold(dib.get()));
        EXPECT_EQ(static_cast<bool>(out), c.result);
        if (out && c.sampler == 50) {
            EXPECT_EQ(out->header->biBitCount, 1);
            const int white = out->palette[0] == 0 ? 1 : 0;
            EXPECT_EQ(qelImgDIBUtils::getPixel(out.get(), 0, 0), 1 - white);
            EXPECT_EQ(qelImgDIBUtils::getPixel(out.get(), 7, 0), white);
        }
    }
    RecordingVisitor v;
    EXPECT_EQ(v.applyThreshold(nullptr), nullptr);
}

TEST_F(VisitorImageTest, ResizeImageOnlyWhenTheConditionHolds)
{
    ASSERT_TRUE(ini());
    DIBPtr dib = bitmap();
    qelOutputScale scale;
    scale.setWidth(4.4f);
    scale.setHeight(2.5f);
    scale.setCondition(qelOutputScale::COND_GT);
    RecordingVisitor v;
    DIBPtr out(v.resizeImage(dib.get(), &scale));
    ASSERT_TRUE(out);
    EXPECT_EQ(out->header->biWidth, 4);
    EXPECT_EQ(out->header->biHeight, 2);
    scale.setCondition(qelOutputScale::COND_LT);
    EXPECT_EQ(v.resizeImage(dib.get(), &scale), nullptr);
    EXPECT_EQ(v.resizeImage(nullptr, &scale), nullptr);
    EXPECT_EQ(v.resizeImage(dib.get(), nullptr), nullptr);
}

TEST_F(VisitorImageTest, ResizeImageTakesTheStretchOrTheShrinkFilter)
{
    // Nearest-neighbour resizing keeps one bit; the other filters give grey.
    ASSERT_TRUE(ini());
    DIBPtr bw(qelImgDIBUtils::createDIBFromData(8, 4, 1, 300, 300, 2, nullptr, 1));
    std::memset(bw->bits, 0x0F, bw->header->biSizeImage);
    const struct
    {
        const char* filters; // stretch, shrink
        int condition;
        float width, height;
        int bits;
    } cases[] = {
        {"Nearest Neighbour, Lanczos", qelOutputScale::COND_GT, 4, 2, 8},
        {"Nearest Neighbour, Lanczos", qelOutputScale::COND_LT, 16, 8, 1},
        {"Lanczos, Nearest Neighbour", qelOutputScale::COND_GT, 4, 2, 1},
        {"Lanczos, Nearest Neighbour", qelOutputScale::COND_LT, 16, 8, 8},
        {"Bilinear, Nearest Neighbour", qelOutputScale::COND_NE, 16, 8, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.filters) + " " + std::to_string(c.condition));
        ini()->setAttribute("ImageResizeFilter", c.filters);
        qelOutputScale scale;
        scale.setWidth(c.width);
        scale.setHeight(c.height);
        scale.setCondition(c.condition);
        RecordingVisitor v;
        DIBPtr out(v.resizeImage(bw.get(), &scale));
        ASSERT_TRUE(out);
        EXPECT_EQ(out->header->biWidth, static_cast<int>(c.width));
        EXPECT_EQ(out->header->biHeight, static_cast<int>(c.height));
        EXPECT_EQ(out->header->biBitCount, c.bits);
    }
}

} // namespace
