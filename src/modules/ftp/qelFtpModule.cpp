// The FTP module: clients of FTP locations over libcurl.
#include "qelCurlFtpClient.h"
#include "qelLorbane.h"
#include "qelModuleLoader.h"

#include <new>

namespace
{
qelFtpClient* createClient()
{
    return new (std::nothrow) qelCurlFtpClient();
}
} // namespace

extern "C" void qelRegisterModule()
{
    qelLorbane::registerFtpClient(&createClient);
}
