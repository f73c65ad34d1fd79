#include "ReportTestSupport.h"

#include "qelError.h"
#include "qelProtocol.h"
#include "qelStatistic.h"

#include <string>
#include <sys/stat.h>
#include <unistd.h>

using reporttest::raisedId;
using reporttest::readText;

namespace {

// 09 July 2015 11:23:59 UTC.
const int64_t kStart = 1436441039;

class ReportFileTest : public reporttest::ReportTest
{
protected:
    std::string outputDir()
    {
        std::string dir = m_dir + "/out/";
        ::mkdir(dir.c_str(), 0755);
        ini()->setOutputFilePath(dir.c_str());
        return dir;
    }
};

TEST_F(ReportFileTest, FileNameCarriesTheStartTime)
{
    struct Case
    {
        std::string directory;
        std::string expected;
    } cases[] = {
        {m_dir, m_dir + "/error_20150709_112359.txt"},
        {m_dir + "/", m_dir + "/error_20150709_112359.txt"},
    };
    for (const Case& c : cases) {
        qelError report;
        report.setTimes(kStart, kStart + 1);
        report.setErrorPath(c.directory.c_str());
        report.writeReport();
        EXPECT_STREQ(report.getFullPath(), c.expected.c_str());
        EXPECT_EQ(::access(c.expected.c_str(), F_OK), 0);
    }
    qelError nothing;
    nothing.openReportFile("error", nullptr);
    EXPECT_EQ(nothing.getFile(), nullptr);
    EXPECT_EQ(nothing.getFullPath(), nullptr);
}

TEST_F(ReportFileTest, ErrorReportHeaderAndBody)
{
    struct Case
    {
        const char* input;
        const char* message;
        std::string tail;
    } cases[] = {
        {nullptr, nullptr,
         "Input File:                  no input filename available!\r\n\r\nno error message available!"},
        // The message is text, never a format.
        {"in.afp", "E017: 100% of %s failed %d%n",
         "Input File:                  in.afp\r\n\r\nE017: 100% of %s failed %d%n"},
    };
    for (const Case& c : cases) {
        qelError report;
        report.setTimes(kStart, kStart + 90061); // 25 hours, 1 minute, 1 second
        report.setVersion("V1");
        report.setNotice("N");
        report.setSupportLine();
        report.setParameters("-a -b");
        report.setErrorPath(m_dir.c_str());
        report.setInputFile(c.input);
        report.setMessage(c.message);
        report.writeReport();
        EXPECT_EQ(report.getFile(), nullptr);
        std::string text = readText(report.getFullPath());
        std::string head = "Version:                     V1\r\n\r\n"
                           "Copyright:                   N\r\n"
                           "                             " +
                           std::string(report.getSupportLine()) +
                           "\r\n"
                           "Started at:                  09.07.2015 11:23:59\r\n\r\n"
                           "Ended at:                    10.07.2015 12:25:00\r\n\r\n"
                           "Elapsed time:                01:01:01\r\n\r\n"
                           "List of Parameters:          -a -b\r\n\r\n";
        EXPECT_EQ(text, head + c.tail);
    }
}

TEST_F(ReportFileTest, HeaderLeavesOutTextsThatAreNotSet)
{
    qelError report;
    report.setTimes(kStart, kStart);
    report.setErrorPath(m_dir.c_str());
    report.writeReport();
    std::string text = readText(report.getFullPath());
    EXPECT_EQ(text.rfind("Started at:", 0), 0u) << text;
    EXPECT_NE(text.find("Elapsed time:                00:00:00\r\n"), std::string::npos);
    EXPECT_NE(text.find("List of Parameters:          \r\n\r\nInput File:"), std::string::npos);
}

TEST_F(ReportFileTest, OpenFailuresDependOnTheKind)
{
    std::string missing = m_dir + "/missing";
    ini()->setOutputFilePath(missing.c_str());

    qelStatistic statistic;
    statistic.setTimes(kStart, kStart);
    EXPECT_EQ(raisedId([&] { statistic.write(); }), 102);

    qelProtocol protocol;
    protocol.setTimes(kStart, kStart);
    protocol.open();
    protocol.writeSpoolHeader();
    protocol.writeDocumentLine();
    protocol.writeResult();
    protocol.writeEnd();
    EXPECT_EQ(protocol.getFile(), nullptr);
    EXPECT_EQ(::access(missing.c_str(), F_OK), -1);

    // The error report falls back to the current directory.
    char old[4096];
    ASSERT_NE(::getcwd(old, sizeof old), nullptr);
    ASSERT_EQ(::chdir(m_dir.c_str()), 0);
    openLog("ALL");
    std::string before = output();
    qelError report;
    report.setTimes(kStart, kStart);
    report.setErrorPath(missing.c_str());
    report.setMessage("boom");
    report.writeReport();
    ASSERT_EQ(::chdir(old), 0);
    std::string printed = output().substr(before.size());
    std::string expected = "Warning! Unable to open the ERROR File in Path " + missing +
                           "\nWriting the error file (error_20150709_112359.txt) in the current directory\n";
    EXPECT_NE(printed.find(expected), std::string::npos) << printed;
    EXPECT_NE(logText().find(expected), std::string::npos);
    EXPECT_NE(readText(m_dir + "/error_20150709_112359.txt").find("boom"), std::string::npos);
}

TEST_F(ReportFileTest, ProtocolOfOneInput)
{
    std::string dir = outputDir();
    qelProtocol protocol;
    protocol.setTimes(kStart, kStart + 1);
    protocol.setVersion("VERSION");
    protocol.setParameters("PARAMETERS");
    protocol.open();
    protocol.setInputFile("INPUT");
    protocol.writeSpoolHeader();
    const char* outputs[] = {"OUTPUT1", "OUTPUT2"};
    for (int i = 0; i < 2; ++i) {
        protocol.setTimes(kStart, kStart + 2 + i);
        protocol.countDocument();
        protocol.setOutputName(outputs[i]);
        protocol.writeDocumentLine();
        protocol.setResult(QEL_PROTOCOL_ERROR);
        protocol.setResult(QEL_PROTOCOL_OK);
        protocol.writeResult();
    }
    protocol.setTimes(kStart, kStart + 3);
    protocol.writeEnd();
    EXPECT_EQ(protocol.getFile(), nullptr);
    EXPECT_EQ(readText(dir + "protocol_20150709_112359.txt"),
              "Running VERSION at 11:23:59 on 09 July 2015 using : PARAMETERS\r\n"
              "\r\n"
              "Processing Spool File: INPUT\r\n"
              "[11:24:01] Processing Document Id : 1, OUTPUT1 : Ok\r\n"
              "[11:24:02] Processing Document Id : 2, OUTPUT2 : Ok\r\n"
              "\r\n"
              "VERSION ended at 11:24:02 on 09 July 2015, Elapsed Time 00:00:03\r\n");
}

TEST_F(ReportFileTest, ProtocolResultLines)
{
    std::string dir = outputDir();
    struct Case
    {
        const char* output;
        int result;
        const char* line;
    } cases[] = {
        {nullptr, QEL_PROTOCOL_OK, "[11:23:59] Processing Document Id : 100 : Ok\r\n"},
        {"o.pdf", QEL_PROTOCOL_ERROR, "[11:23:59] Processing Document Id : 100, o.pdf : Error\r\n"},
        {"o.pdf", 0, "[11:23:59] Processing Document Id : 100, o.pdf : \r\n"},
    };
    for (const Case& c : cases) {
        qelProtocol protocol;
        protocol.setTimes(kStart, kStart);
        protocol.open();
        protocol.setDocumentNumber(100 - 1); // StartingDocument 100
        protocol.countDocument();
        protocol.setOutputName(c.output);
        protocol.writeDocumentLine();
        protocol.setResult(c.result);
        protocol.writeResult();
        protocol.writeEnd();
        std::string text = readText(dir + "protocol_20150709_112359.txt");
        EXPECT_NE(text.find(std::string("using : \r\n") + c.line), std::string::npos) << text;
    }
}

TEST_F(ReportFileTest, StatisticRates)
{
    std::string dir = outputDir();
    struct Case
    {
        int64_t seconds;
        int documents;
        int pages;
        const char* documentLine;
        const char* pageLine;
    } cases[] = {
        {60, 30, 45, "Document processed:          30 (30 Documents/min)\r\n\r\n",
         "Total Input Pages processed: 45 (45 Pages/min)\r\n\r\n"},
        {0, 3, 7, "Document processed:          3 (0 Documents/min)\r\n\r\n",
         "Total Input Pages processed: 7 (0 Pages/min)\r\n\r\n"},
        {40, 2, 3, "Document processed:          2 (3 Documents/min)\r\n\r\n",
         "Total Input Pages processed: 3 (4 Pages/min)\r\n\r\n"},
    };
    for (const Case& c : cases) {
        qelStatistic::resetRunCounters();
        for (int i = 0; i < c.documents; ++i)
            qelStatistic::countDocument();
        for (int i = 0; i < c.pages; ++i)
            qelStatistic::countPage();
        qelStatistic statistic;
        statistic.setTimes(kStart, kStart + c.seconds);
        statistic.write();
        EXPECT_EQ(statistic.getFile(), nullptr);
        std::string text = readText(dir + "stat_20150709_112359.txt");
        std::string tail = std::string(c.documentLine) + c.pageLine;
        ASSERT_GE(text.size(), tail.size());
        // Without index files the statistic ends after the pages line.
        EXPECT_EQ(text.substr(text.size() - tail.size()), tail) << text;
    }
    qelStatistic::resetRunCounters();
}

// The kernel's calls over a run of two inputs: one protocol for the run,
// a spool header per input, counters reset at every input set-up and one
// statistic at the end.
TEST_F(ReportFileTest, RunOfTwoInputsKeepsOneProtocolAndCountsBoth)
{
    std::string dir = outputDir();
    qelStatistic::resetRunCounters();
    qelProtocol* protocol = nullptr;
    int64_t now = kStart;
    const char* inputs[] = {"first.afp", "second.afp"};
    const int documents[] = {2, 3};
    for (int input = 0; input < 2; ++input) {
        qelStatistic::resetCounters();
        if (!protocol) {
            protocol = new qelProtocol();
            protocol->setTimes(kStart, now);
            protocol->setVersion("V");
            protocol->open();
        }
        protocol->setInputFile(inputs[input]);
        protocol->writeSpoolHeader();
        for (int d = 0; d < documents[input]; ++d) {
            qelStatistic::countDocument();
            qelStatistic::countPage();
            qelStatistic::countPage();
            protocol->setTimes(kStart, ++now);
            protocol->countDocument();
            protocol->writeDocumentLine();
            protocol->setResult(QEL_PROTOCOL_OK);
            protocol->writeResult();
        }
        // Per-input counters number the output sub-directories.
        EXPECT_EQ(qelStatistic::getDocumentCount(), documents[input]);
    }
    protocol->setTimes(kStart, now);
    protocol->writeEnd();
    delete protocol;

    std::string text = readText(dir + "protocol_20150709_112359.txt");
    EXPECT_NE(text.find("Processing Spool File: first.afp\r\n[11:24:00] Processing Document Id : 1 : Ok"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Processing Spool File: second.afp\r\n[11:24:02] Processing Document Id : 3 : Ok"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Id : 5 : Ok\r\n\r\nV ended at 11:24:04"), std::string::npos) << text;

    qelStatistic statistic;
    statistic.setTimes(kStart, now);
    statistic.write();
    std::string stat = readText(dir + "stat_20150709_112359.txt");
    EXPECT_NE(stat.find("Document processed:          5 (60 Documents/min)"), std::string::npos) << stat;
    EXPECT_NE(stat.find("Total Input Pages processed: 10 (120 Pages/min)"), std::string::npos) << stat;
    qelStatistic::resetRunCounters();
}

} // namespace
