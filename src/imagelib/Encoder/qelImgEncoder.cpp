#include "qelImgEncoder.h"

#include "qelImgInfo.h"
#include "qelImgLogger.h"
#include "qelImgProcessor.h"

namespace
{
void trace(const char* operation)
{
    if (qelImgLogger* logger = qelImgProcessor::getLogger())
        logger->trace("\t%s::%s()", "qelImgEncoder", operation);
}
}

qelImgEncoder::qelImgEncoder()
{
    trace("qelImgEncoder");
}

qelImgEncoder::qelImgEncoder(qelImgIOStream* stream) : m_encodeType(31), m_stream(stream)
{
    trace("qelImgEncoder");
}

qelImgEncoder::~qelImgEncoder()
{
    m_stream = nullptr;
    delete m_outputInfo;
}

void qelImgEncoder::setParameters(qelImgParamValue* params, qelImgInfo* info)
{
    trace("setParameters");
    m_params = params;
    m_info = info;
}
