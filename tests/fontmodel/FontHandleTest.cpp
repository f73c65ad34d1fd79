#include "qelFontHandle.h"

#include <gtest/gtest.h>

TEST(FontHandle, MatchesEveryFieldAndNamesIgnoringCase)
{
    qelFontHandle h;
    h.style = 1;
    h.height = 100;
    h.width = 50;
    h.rotation = 270;
    h.characterRotation = 90;
    // Unset face name: never matches, not even a null name.
    h.setCodePageName("T1V10500");
    EXPECT_FALSE(h.matches(1, 100, 50, 270, 90, nullptr, "T1V10500"));
    EXPECT_FALSE(h.matches(1, 100, 50, 270, 90, "", "T1V10500"));
    h.setFaceName("Helvetica");
    const struct {
        uint8_t style;
        int height, width;
        int16_t rotation, charRotation;
        const char* face;
        const char* codePage;
        bool match;
    } cases[] = {
        {1, 100, 50, 270, 90, "HELVETICA", "t1v10500", true},
        {0, 100, 50, 270, 90, "Helvetica", "T1V10500", false},
        {1, 101, 50, 270, 90, "Helvetica", "T1V10500", false},
        {1, 100, 51, 270, 90, "Helvetica", "T1V10500", false},
        {1, 100, 50, 0, 90, "Helvetica", "T1V10500", false},
        {1, 100, 50, 270, 0, "Helvetica", "T1V10500", false},
        {1, 100, 50, 270, 90, "Helvetic", "T1V10500", false},
        {1, 100, 50, 270, 90, "Helvetica", nullptr, false},
        {1, 100, 50, 270, 90, nullptr, "T1V10500", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.face ? c.face : "(null)");
        EXPECT_EQ(h.matches(c.style, c.height, c.width, c.rotation, c.charRotation, c.face, c.codePage), c.match);
    }
    h.setCodePageName(nullptr);
    EXPECT_EQ(h.getCodePageName(), nullptr);
    EXPECT_FALSE(h.matches(1, 100, 50, 270, 90, "Helvetica", "T1V10500"));
}
