#ifndef IMG_TEST_SUPPORT_H
#define IMG_TEST_SUPPORT_H

#include "ScratchTest.h"
#include "qelException.h"
#include "qelIOStream.h"
#include "qelImgException.h"
#include "qelImgLogger.h"
#include "qelImgProcessor.h"
#include "qelSFIBlock.h"

#include <functional>
#include <string>

namespace imgtest {

// A logger that keeps every line it is given.
class CaptureLogger : public qelImgLogger
{
public:
    explicit CaptureLogger(int level) : qelImgLogger(level) {}
    void print(const char* text) override { lines += text; }
    std::string lines;
};

// Installs a capture logger for the life of the object.
struct LoggerScope
{
    explicit LoggerScope(int level) : logger(level) { qelImgProcessor::setLogger(&logger); }
    ~LoggerScope() { qelImgProcessor::setLogger(nullptr); }
    CaptureLogger logger;
};

// Id and message of the qelImgException a call throws; id -1 when none.
struct Thrown
{
    int id = -1;
    std::string message;
};

inline Thrown thrown(const std::function<void()>& call)
{
    Thrown t;
    try {
        call();
    } catch (qelImgException* e) {
        t.id = e->getErrorCode();
        t.message = e->getMessage() ? e->getMessage() : "";
        delete e;
    }
    return t;
}

// The data of the n-th object container (from 1) of an AFP file.
inline lrbtest::Bytes containerData(const std::string& path, int n)
{
    qelIOStream reader;
    lrbtest::Bytes data;
    int seen = 0;
    try {
        reader.openFile(path.c_str(), false);
        for (;;) {
            qelSFIBlock* field = reader.readSFI();
            if (field->getId() == 0xA892)
                ++seen;
            else if (field->getId() == 0xEE92 && seen == n)
                data.insert(data.end(), field->getData(), field->getData() + field->getDataSize());
            else if (field->getId() == 0xA992 && seen == n)
                break;
        }
    } catch (qelException* e) {
        // The end of the file.
        delete e;
    }
    return data;
}

inline std::string fopImages() { return std::string(LORBANE_TEST_DATA) + "/fop/fop-images-native.afp"; }

} // namespace imgtest

#endif
