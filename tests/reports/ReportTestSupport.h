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
#include <memory>
#include <string>
#include <unistd.h>

namespace reporttest {

using lrbtest::raisedId;

using lrbtest::readText;

// Captures the message output, gives every test a fresh pool and its own
// directory, and runs in UTC so that report times are fixed.
class ReportTest : public lrbtest::ScratchTest
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
        ScratchTest::SetUp();
    }
    void TearDown() override
    {
        ScratchTest::TearDown();
        if (m_hadTz)
            ::setenv("TZ", m_oldTz.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

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

    bool m_hadTz = false;
    std::string m_oldTz;
};

} // namespace reporttest

#endif
