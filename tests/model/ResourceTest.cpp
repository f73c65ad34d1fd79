#include "qelCharSetAliasName.h"
#include "qelGlobalDSPool.h"
#include "qelHashIdMap.h"
#include "qelList.h"
#include "qelMappedFontInfo.h"
#include "qelMappedRes.h"
#include "qelNamePair.h"
#include "qelResGOCA.h"
#include "qelResourceAliasName.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace
{
TEST(ResourceTest, ShortForms)
{
    const struct {
        uint32_t type;
        const char* name;
        const char* expected;
    } cases[] = {
        {1, nullptr, "OLY"},    {2, "x", "PSEG"},           {3, "x0gt10", "XFNT"},   {3, "C0H200B0", "CFNT"},
        {3, "default", "CFNT"}, {3, nullptr, "CFNT"},       {3, "T1V10500", "Unknown Type"},
        {4, nullptr, "CDP"},    {5, nullptr, "MMAP"},       {6, nullptr, "FDEF"},    {7, nullptr, "GOCA"},
        {8, nullptr, "IOB"},    {0, "X1", "None"},          {9, "C1", "None"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(qelRes::getTypeShortName(c.type, c.name), c.expected) << c.type << " " << (c.name ? c.name : "-");
}

TEST(ResourceTest, GraphicsResourceDescribesItselfWithTheBaseText)
{
    qelResGOCA goca("G1LOGO");
    goca.setAliasName("G1LOGO2");
    std::unique_ptr<char[]> text(goca.describe());
    EXPECT_STREQ(text.get(), "Type:GOCA Name:G1LOGO  Alias Name:G1LOGO2");
}

template <class T>
T* alias(const char* name, const char* hashId)
{
    T* a = new T();
    a->setName(name);
    a->setHashId(hashId);
    return a;
}

TEST(ResourceTest, HashIdLookupUsesTheOtherSecondCharacterOnCopies)
{
    qelHashIdMap map;
    map.addAlias(alias<qelCharSetAliasName>("C1H200B0", "CHASH"));
    map.addAlias(alias<qelCodedFontAliasName>("X1GT10", "XHASH"));
    map.addAlias(alias<qelOverlayAliasName>("O1LOGO", "OHASH"));
    map.addAlias(alias<qelGOCAAliasName>("G1", "GHASH"));
    map.addAlias(alias<qelCodedFontAliasName>("T1V10500", "THASH"));
    map.addAlias(alias<qelFormDefAliasName>("F1FORM", "FHASH"));

    const struct {
        const char* name; // literals: the lookup must not write into them
        int type;
        const char* hashId;
    } cases[] = {
        {"C?H200B0", 3, "CHASH"}, {"C0H200B0", 3, "CHASH"}, {"c1h200b0", 3, "CHASH"}, {"X0GT10", 3, "XHASH"},
        {"X0GT10LONGER", 3, nullptr}, {"O1LOGO", 1, "OHASH"}, {"O0LOGO", 1, nullptr}, {"G1", 7, nullptr},
        {"T1V10500", 3, nullptr}, {"F1FORM", 5, "FHASH"}, {"F1FORM", 6, "FHASH"}, {nullptr, 1, nullptr},
        {"O1LOGO", 0, nullptr},
    };
    for (const auto& c : cases) {
        qelResourceAliasName* found = map.findHashId(c.name, c.type);
        if (c.hashId) {
            ASSERT_NE(found, nullptr) << c.name;
            EXPECT_STREQ(found->getHashId(), c.hashId) << c.name;
        } else {
            EXPECT_EQ(found, nullptr) << (c.name ? c.name : "null");
        }
    }
}

TEST(ResourceTest, CharacterSetAliasKeepsUnquotedPairs)
{
    qelCharSetAliasName a;
    a.addNamePair(nullptr, "x");
    EXPECT_EQ(a.getNamePairs(), nullptr);
    a.addNamePair("\"Arial\"", "\"Bold\"");
    a.addNamePair("Times", nullptr);
    ASSERT_EQ(a.getNamePairs()->getCount(), 2);
    auto* first = static_cast<qelNamePair*>(a.getNamePairs()->getHead()->item);
    EXPECT_STREQ(first->first, "Arial");
    EXPECT_STREQ(first->second, "Bold");
    auto* second = static_cast<qelNamePair*>(a.getNamePairs()->getTail()->item);
    EXPECT_EQ(second->second, nullptr);
}

TEST(ResourceTest, MappedResourceAndFontDetails)
{
    qelMappedRes m(5, 3, "X0GT10");
    const char* own = m.getName();
    m.setName(own);
    EXPECT_EQ(m.getName(), own);
    m.setName("X1GT12");
    EXPECT_STREQ(m.getName(), "X1GT12");
    EXPECT_EQ(m.getCodePageEncoding(), nullptr);

    auto* info = new qelMappedFontInfo();
    info->setGCSGID("1269");
    info->setFGID("416");
    info->setCodePageName("T1V10500");
    info->setVerticalSize(100);
    info->setCharacterRotation(90);
    m.setFontInfo(info);
    info->clear();
    EXPECT_EQ(info->getGCSGID(), nullptr);
    EXPECT_EQ(info->getFGID(), nullptr);
    EXPECT_EQ(info->getCodePageName(), nullptr);
    EXPECT_EQ(info->getVerticalSize(), 0);
    EXPECT_EQ(info->getCharacterRotation(), 0);
}
}
