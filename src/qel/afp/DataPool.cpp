#include "qel/afp/DataPool.h"

#include "qel/afp/Log.h"
#include "qel/afp/Logger.h"
#include "qel/afp/LoggerComposition.h"
#include "qel/afp/OutputProfile.h"
#include "qel/afp/TranslationTable.h"

#include <new>

namespace qel
{

namespace
{

DataPool* g_instance = nullptr;

} // namespace

DataPool* DataPool::getInstance()
{
    if (!g_instance) {
        g_instance = new (std::nothrow) DataPool();
        if (!g_instance)
            throw "Memory allocation for DataPool singleton instance failed";
    }
    return g_instance;
}

void DataPool::releaseInstance()
{
    DataPool* pool = g_instance;
    g_instance = nullptr;
    if (pool && getLogComposition() == pool->m_composition)
        setLogComposition(nullptr);
    delete pool;
}

DataPool::~DataPool()
{
    delete m_composition;
    delete m_table;
    delete m_profile;
}

LoggerComposition* DataPool::getLoggerComposition()
{
    if (!m_composition)
        m_composition = new LoggerComposition();
    return m_composition;
}

TranslationTable* DataPool::getTranslationTable()
{
    if (!m_table)
        m_table = new TranslationTable();
    return m_table;
}

OutputProfile* DataPool::getOutputProfile()
{
    if (!m_profile)
        m_profile = new OutputProfile();
    return m_profile;
}

void DataPool::addLogger(Logger* logger)
{
    if (!logger)
        return;
    LoggerComposition* composition = getLoggerComposition();
    switch (logger->getKind()) {
    case Logger::KIND_CONSOLE: composition->setConsoleLogger(logger); break;
    case Logger::KIND_FILE: composition->setFileLogger(logger); break;
    default: break;
    }
}

void DataPool::setLoggerComposition(LoggerComposition* composition)
{
    // The log functions must not keep a composition that is gone.
    if (getLogComposition() == m_composition)
        setLogComposition(composition);
    delete m_composition;
    m_composition = composition;
}

void DataPool::setTranslationTable(TranslationTable* table)
{
    delete m_table;
    m_table = table;
}

} // namespace qel
