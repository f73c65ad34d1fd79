#include "FontTestSupport.h"

#include "qelCodePage.h"
#include "qelList.h"

#include <cstring>
#include <iconv.h>
#include <string>
#include <vector>

namespace
{

// The shipped data directory: mapping.def and the code page files.
const std::string kDataDir = std::string(LORBANE_SOURCE_DIR) + "/data/";

class ShippedDataTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_output = std::tmpfile();
        qelMessageOutput::set(m_output);
        qelIni* ini = qelGlobalDSPool::getInstance()->getIni();
        ini->setCpPath(kDataDir.c_str());
        ini->setOutputFormat("PDF");
        auto* md = new qelMappingDef();
        qelGlobalDSPool::getInstance()->setMappingDef(md);
        ASSERT_EQ(md->load(), 1);
    }
    void TearDown() override
    {
        qelMessageOutput::set(nullptr);
        std::fclose(m_output);
        qelUtils::releaseGlobals();
        qelUtils::resetEbcdicTables();
    }
    static qelMappingDef* mappingDef() { return qelGlobalDSPool::getInstance()->getMappingDef(); }

    std::FILE* m_output = nullptr;
};

// iconv's Unicode value of one byte of an IBM code page; -1 when it has none.
int iconvUnicode(int cpgid, unsigned char byte)
{
    const std::string name = "IBM" + std::string(cpgid < 100 ? "0" : "") + std::to_string(cpgid);
    iconv_t cd = iconv_open("UTF-32LE", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return -2;
    char in[1] = {static_cast<char>(byte)};
    unsigned char out[8] = {};
    char* inp = in;
    char* outp = reinterpret_cast<char*>(out);
    size_t inLeft = 1;
    size_t outLeft = sizeof out;
    const size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1) || outLeft != 4)
        return -1;
    return out[0] | out[1] << 8 | out[2] << 16 | out[3] << 24;
}

bool isControl(int u)
{
    return u < 0x20 || (u >= 0x7F && u < 0xA0);
}

} // namespace

TEST_F(ShippedDataTest, EveryCodePageIsFoundThroughItsMappingEntryAndAgreesWithIconv)
{
    const qelList* entries = mappingDef()->getCodePageList();
    ASSERT_NE(entries, nullptr);
    std::vector<std::string> files;
    for (const qelListNode* n = entries->getHead(); n; n = n->next) {
        const auto* e = static_cast<const qelCodePageEntry*>(n->item);
        if (std::strcmp(e->codePageName, "DEFAULT") == 0)
            continue;
        SCOPED_TRACE(e->codePageName);
        qelCodePage cp(e->codePageName, kDataDir.c_str());
        cp.load(true);
        EXPECT_EQ(cp.getFileOrigin(), qelCodePage::ORIGIN_MAPPING);
        ASSERT_NE(cp.getFileName(), nullptr);
        EXPECT_EQ(std::string(cp.getFileName()), std::string(e->fileName) + ".cp");
        EXPECT_TRUE(cp.hasUnicode());
        ASSERT_NE(cp.getDefaultCharEntry(), nullptr);

        // Each code point's entry against iconv: graphic characters carry its
        // value, control code points have no line in the file.
        const int cpgid = std::atoi(e->fileName);
        for (int c = 0; c < 256; ++c) {
            const int expected = iconvUnicode(cpgid, static_cast<unsigned char>(c));
            ASSERT_NE(expected, -2) << "iconv lacks IBM" << cpgid;
            const qelCodePageChar* entry = cp.getEntry(c);
            ASSERT_NE(entry, nullptr);
            if (isControl(expected)) {
                EXPECT_EQ(entry->name, nullptr) << std::hex << c;
            } else {
                EXPECT_EQ(entry->unicode, expected) << std::hex << c;
                EXPECT_NE(entry->name, nullptr) << std::hex << c;
                EXPECT_EQ(cp.getEntryByUnicode(expected), entry) << std::hex << c;
            }
        }
    }
    // Every shipped code page file has an entry.
    for (int cpgid : {37, 273, 277, 278, 280, 284, 285, 297, 500, 871, 1047, 1140, 1141, 1142, 1143, 1144, 1145,
                      1146, 1147, 1148})
        EXPECT_NE(mappingDef()->findCodePageByFile(std::to_string(cpgid).c_str()), nullptr) << cpgid;
}

TEST_F(ShippedDataTest, DefaultCodePageAndCommonNames)
{
    // The option CodePage's default loads into the program tables.
    qelIni* ini = qelGlobalDSPool::getInstance()->getIni();
    EXPECT_TRUE(qelCodePage::loadCodePageFile(qelUtils::getMutableEbcdicToAsciiTable(), ini->getCodePage()));
    EXPECT_EQ(qelUtils::ebcdicToAsciiChar(0xC1), 'A');
    EXPECT_EQ(qelUtils::getAsciiToEbcdicTable()['['], 0x4A); // code page 500

    // T1000037 is found as 37.cp by its CPGID without a mapping entry too.
    qelGlobalDSPool::getInstance()->resetObject(QEL_POOL_MAPPING_DEF);
    qelCodePage cp("T1000037", kDataDir.c_str());
    qelCodePage::setIdFromName(&cp);
    cp.load(true);
    EXPECT_STREQ(cp.getFileName(), "37.cp");
    EXPECT_EQ(cp.getFileOrigin(), qelCodePage::ORIGIN_CPGID);

    // FOP's font names reach a PDF base-14 font.
    auto* md = new qelMappingDef();
    qelGlobalDSPool::getInstance()->setMappingDef(md);
    ASSERT_EQ(md->load(), 1);
    struct Case
    {
        const char* charSet;
        const char* font;
    } cases[] = {{"C0H200B0", "Helvetica"}, {"C0H400H0", "Helvetica-Bold"}, {"C0N30000", "Times-Italic"},
                 {"C0N40000", "Times-Bold"}, {"C0420090", "Courier"}, {"C0450080", "Courier-BoldOblique"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.charSet);
        const qelCharSetEntry* cs = md->findCharSet(c.charSet, false);
        ASSERT_NE(cs, nullptr);
        const qelFGIDEntry* fgid = md->findFGID(cs->fgid, false);
        ASSERT_NE(fgid, nullptr);
        EXPECT_STREQ(fgid->fontName, c.font);
        const qelOutputFontEntry* out = md->findOutputFontEntry(fgid->fontName, false);
        ASSERT_NE(out, nullptr);
        EXPECT_STREQ(out->outputName, c.font);
    }
}
