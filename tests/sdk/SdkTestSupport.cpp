#include "SdkTestSupport.h"

namespace sdktest {
EngineLog TestEngine::log;
std::string TestParser::documentName;
std::vector<SdkTest::Reported>* SdkTest::s_reported = nullptr;
}
