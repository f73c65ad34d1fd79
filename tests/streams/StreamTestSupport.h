#ifndef STREAM_TEST_SUPPORT_H
#define STREAM_TEST_SUPPORT_H

#include "ScratchTest.h"

namespace streamtest {

using namespace lrbtest;
using StreamTest = lrbtest::ScratchTest;

} // namespace streamtest

#endif
