#include "qelParser.h"

qelParser::~qelParser()
{
    m_log = nullptr;
}
