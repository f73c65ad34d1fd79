#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

namespace {

class GlobalPoolTest : public ::testing::Test
{
protected:
    void TearDown() override { qelUtils::releaseGlobals(); }
};

} // namespace

TEST_F(GlobalPoolTest, MembersAreCreatedOnceOnDemand)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    ASSERT_NE(pool, nullptr);
    EXPECT_TRUE(qelGlobalDSPool::exists());
    EXPECT_EQ(qelGlobalDSPool::getInstance(), pool);
    EXPECT_FALSE(pool->hasObject(QEL_POOL_INI));
    EXPECT_FALSE(pool->hasObject(QEL_POOL_LOG_STREAM));

    qelIni* ini = pool->getIni();
    ASSERT_NE(ini, nullptr);
    EXPECT_EQ(pool->getIni(), ini);
    EXPECT_TRUE(pool->hasObject(QEL_POOL_INI));

    ini->setLoggingLevel("3,FONT");
    qelLogStream* log = pool->getLogStream();
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(pool->getLogStream(), log);
    EXPECT_TRUE(log->isExactly(0x14u));
    EXPECT_EQ(log->getFile(), nullptr);
    EXPECT_TRUE(pool->hasObject(QEL_POOL_LOG_STREAM));
}

TEST_F(GlobalPoolTest, ResetGivesAFreshMemberWithDefaults)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    pool->getIni()->setQuietMode(true);
    pool->getLogStream()->setLevel("1");

    pool->resetObject(QEL_POOL_INI);
    pool->resetObject(QEL_POOL_LOG_STREAM);
    EXPECT_FALSE(pool->hasObject(QEL_POOL_INI));
    EXPECT_FALSE(pool->hasObject(QEL_POOL_LOG_STREAM));
    pool->resetObject(QEL_POOL_INI); // already empty

    EXPECT_FALSE(pool->getIni()->isQuietMode());
    EXPECT_TRUE(pool->getLogStream()->isExactly(0u));
}

TEST_F(GlobalPoolTest, NumbersNamingNoMemberAreIgnored)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    pool->getIni();
    pool->getLogStream();
    for (int kind : {1, 34, 37, 45, 100, -1}) {
        EXPECT_FALSE(pool->hasObject(kind)) << kind;
        pool->resetObject(kind);
    }
    EXPECT_TRUE(pool->hasObject(QEL_POOL_INI));
    EXPECT_TRUE(pool->hasObject(QEL_POOL_LOG_STREAM));
}

TEST_F(GlobalPoolTest, TeardownLeavesTheNextPoolEmpty)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    pool->getIni();
    pool->getLogStream();
    pool->setRunStartTime(100);
    pool->setLatestInputTime(200);

    qelUtils::releaseGlobals();
    EXPECT_FALSE(qelGlobalDSPool::exists());

    pool = qelGlobalDSPool::getInstance();
    ASSERT_NE(pool, nullptr);
    EXPECT_TRUE(qelGlobalDSPool::exists());
    EXPECT_FALSE(pool->hasObject(QEL_POOL_INI));
    EXPECT_FALSE(pool->hasObject(QEL_POOL_LOG_STREAM));
    EXPECT_EQ(pool->getRunStartTime(), 0);
    EXPECT_EQ(pool->getLatestInputTime(), 0);
}
