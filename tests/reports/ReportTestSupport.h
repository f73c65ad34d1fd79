#ifndef REPORT_TEST_SUPPORT_H
#define REPORT_TEST_SUPPORT_H

#include "ScratchTest.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <unistd.h>

namespace reporttest {

// Id of the qelException a call raises; -1 when none.
inline int raisedId(const std::function<void()>& call)
{
    try {
        call();
    } catch (qelException* e) {
        int id = e->getId();
        delete e;
        return id;
    }
    return -1;
}

using lrbtest::readText;

// Captures the message output, gives every test a fresh pool and its own
// directory, and runs in UTC so that report times are fixed.
class ReportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* tz = std::getenv("TZ");
        m_hadTz = tz != nullptr;
        if (tz)
            m_oldTz = tz;
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        m_out = std::tmpfile();
        qelMessageOutput::set(m_out);
        char pattern[] = "/tmp/lorbane-reports-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override
    {
        qelMessageOutput::set(nullptr);
        std::fclose(m_out);
        qelUtils::releaseGlobals();
        std::string command = "rm -rf '" + m_dir + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
        if (m_hadTz)
            ::setenv("TZ", m_oldTz.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

    std::string output() { return lrbtest::streamText(m_out); }

    qelIni* ini() { return qelGlobalDSPool::getInstance()->getIni(); }

    // Opens a log in the test directory with the given level list.
    qelLogStream* openLog(const char* levels)
    {
        qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream();
        log->setLevel(levels);
        log->open((m_dir + "/test.log").c_str());
        return log;
    }
    std::string logText()
    {
        qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream();
        if (log->getFile())
            std::fflush(log->getFile());
        return readText(m_dir + "/test.log");
    }

    FILE* m_out = nullptr;
    std::string m_dir;
    bool m_hadTz = false;
    std::string m_oldTz;
};

} // namespace reporttest

#endif
