#include "FontModelFixture.h"

#include "qelAFPFontRepresentation.h"

TEST_F(FontModelTest, FamilyDefaultsFromCharacterSetNames)
{
    const struct {
        const char* name;
        const char* family;
        const char* posture;
        bool italic, bold, light, outline;
        int height;
    } cases[] = {
        {"C0N20000", "Times New Roman", "ROMAN", false, false, false, false, 100},
        {"C0H300A0", "Helvetica", nullptr, true, false, false, false, 110},
        {"CZH40000", "Helvetica", "ROMAN", false, true, false, true, 100},
        {"C0H200", nullptr, nullptr, false, false, false, false, -1},
        {"CZH200", "Helvetica", "ROMAN", false, false, false, true, -1},
        {"C0X31000", nullptr, nullptr, true, false, true, false, 100},
        {"C0X30000", nullptr, nullptr, false, false, false, false, -1},
        {"C0B10000", nullptr, nullptr, false, false, false, false, -1},
        {"C0BO1000", "BARCODE", nullptr, false, false, true, false, 100},
        {"C07Q0000", "Prestige", nullptr, false, false, false, false, 100},
        {"C0S270z0", "ITC Souvenir", "ROMAN", false, true, false, false, 360},
        {"C0420009", "Courier", "ROMAN", false, false, false, false, 100},
        {"C04200Z", "Courier", "ROMAN", false, false, false, false, 360},
        {"C042009", "Courier", "ROMAN", false, false, false, false, 90},
        {"C042001", "Courier", "ROMAN", false, false, false, false, -1},
        {"C0W20000", nullptr, nullptr, false, false, false, false, -1},
        {"C04Z0000", nullptr, nullptr, false, false, false, false, -1},
        {"default", nullptr, nullptr, false, false, false, false, -1},
        {"C0", nullptr, nullptr, false, false, false, false, -1},
    };
    for (const auto& c : cases) {
        qelAFPFontRepresentation r;
        r.applyFamilyDefaults(c.name);
        const std::string what = c.name;
        EXPECT_STREQ(r.getFontName(), c.family) << what;
        EXPECT_STREQ(r.getPostureName(), c.posture) << what;
        EXPECT_EQ(r.isItalic(), c.italic) << what;
        EXPECT_EQ(r.isBold(), c.bold) << what;
        EXPECT_EQ(r.isLight(), c.light) << what;
        EXPECT_EQ(r.isOutlineFont(), c.outline) << what;
        EXPECT_EQ(r.getHeight(), c.height) << what;
    }
}

TEST_F(FontModelTest, WeightAndLightKeywords)
{
    qelAFPFontRepresentation r;
    r.applyWeightClass("semibold");
    EXPECT_TRUE(r.isBold());
    r.applyWeightClass(nullptr);
    EXPECT_TRUE(r.isBold());
    r.applyWeightClass("Medium (normal)");
    EXPECT_FALSE(r.isBold());
    r.applyLightClass("ExtraLight");
    EXPECT_TRUE(r.isLight());
    r.applyLightClass("Bold");
    EXPECT_FALSE(r.isLight());

    r.setCharacterSetName("");
    EXPECT_EQ(r.getCharacterSetName(), nullptr);
    r.setCharacterSetName("C0H20000");
    EXPECT_STREQ(r.getCharacterSetName(), "C0H20000");
    EXPECT_EQ(r.getSpaceCodePoint(), 0x40);
}
