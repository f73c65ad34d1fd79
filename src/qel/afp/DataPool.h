#ifndef QEL_LIB_DATA_POOL_H
#define QEL_LIB_DATA_POOL_H

#include "qel/afp/Object.h"

namespace qel
{

class Logger;
class LoggerComposition;
class OutputProfile;
class TranslationTable;

// The process-wide holder of the library's logger composition, translation
// table and output profile; each is made on first request and owned.
class DataPool : public Object
{
public:
    static DataPool* getInstance();
    // Deletes the singleton with its members; the next getInstance makes a
    // new one with defaults.
    static void releaseInstance();

    LoggerComposition* getLoggerComposition();
    TranslationTable* getTranslationTable();
    OutputProfile* getOutputProfile();

    // Kind 1 becomes the console logger, kind 2 the file logger; not owned.
    void addLogger(Logger* logger);
    // Delete the held member and keep the given one (null only deletes).
    void setLoggerComposition(LoggerComposition* composition);
    void setTranslationTable(TranslationTable* table);

private:
    DataPool() = default;
    ~DataPool() override;

    LoggerComposition* m_composition = nullptr;
    TranslationTable* m_table = nullptr;
    OutputProfile* m_profile = nullptr;
};

} // namespace qel

#endif
