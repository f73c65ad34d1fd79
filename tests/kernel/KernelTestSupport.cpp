#include "KernelTestSupport.h"

namespace kerneltest {
EngineLog* FakeEngine::log = nullptr;
std::vector<ScriptedDocument> FakeParser::script;
int FakeParser::released = 0;
std::vector<WrittenRecord>* KernelTest::s_written = nullptr;
}
