// Width of a long text in a built-in font.
#include "opdf.h"

#include <gtest/gtest.h>

#include <string>

TEST(StdFontWidth, LongTextsDoNotWrap)
{
    // 'W' is 0.944 em in Helvetica: 100 of them are 94.4 em.
    const std::string text(100, 'W');
    EXPECT_NEAR(opdf_stdFontStringWidth(nullptr, "Helvetica", reinterpret_cast<const unsigned char*>(text.data()),
                                        static_cast<int>(text.size())),
                94.4f, 1e-3);
}
