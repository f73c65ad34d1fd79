#include "qelLogicalLocation.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

TEST(LogicalLocationRecord, Descriptions)
{
    qelFTPLogicalLocation full;
    full.setName("RES");
    full.setHostName("\"h\"");
    full.setPort(21);
    full.setUserName("u");
    full.setPassword("pw");
    full.setStartDir("/res");
    full.setFileName("F");
    full.addInitialCommand("SITE A");
    full.addInitialCommand(nullptr);

    qelFTPLogicalLocation plain;
    plain.setName("RES");
    plain.setHostName("h");
    plain.setUserName("u");
    plain.setStartDir("/res");
    plain.addInitialCommand("SITE A");
    plain.addInitialCommand("SITE B");

    qelFTPLogicalLocation cleared;
    cleared.setHostName("h");
    cleared.setHostName(nullptr);
    cleared.setStartDir("\"\"");
    cleared.setPort(7);

    qelDIRLogicalLocation dir;
    dir.setName("D");
    dir.setDirectoryName("/data");
    dir.setPathSuffixPattern("*.afp");

    struct Case
    {
        qelLogicalLocation* location;
        int kind;
        const char* text;
    };
    const Case cases[] = {
        {&full, QEL_LOCATION_FTP,
         "Type=FTP Name=RES HostName=h Port=21 UserName=u Password=pw StartDir=/res Filename=F InitialCommands=SITE A;"},
        {&plain, QEL_LOCATION_FTP,
         "Type=FTP Name=RES HostName=h Port=21 UserName=u StartDir=/res InitialCommands=SITE A;SITE B;"},
        {&cleared, QEL_LOCATION_FTP, "Type=FTP Port=07 StartDir="},
        {&dir, QEL_LOCATION_DIR, "Type=DIR Name=D DirectoryName=/data PathSuffixPattern=*.afp"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.location->getKind(), c.kind);
        std::unique_ptr<char[]> text(c.location->describe());
        EXPECT_EQ(std::string(text.get()), std::string(c.text) + "\r\n");
        EXPECT_STREQ(c.location->getDescription(), c.text);
    }
    EXPECT_EQ(dir.getFileCount(), -1);
    // The stored description is built once.
    dir.setFileCount(2);
    EXPECT_STREQ(dir.getDescription(), "Type=DIR Name=D DirectoryName=/data PathSuffixPattern=*.afp");
}

} // namespace
