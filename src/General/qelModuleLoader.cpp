#include "qelModuleLoader.h"

#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelLogStream.h"

#include <dlfcn.h>
#include <map>

namespace
{
typedef void (*RegisterFunction)();

// Registration functions of the modules loaded so far; the handles are
// never closed (objects made in a module are deleted through its code).
std::map<std::string, RegisterFunction>& loadedModules()
{
    static std::map<std::string, RegisterFunction> modules;
    return modules;
}
} // namespace

const char* const qelModuleLoader::REGISTER_FUNCTION = "qelRegisterModule";

std::string qelModuleLoader::getFolder()
{
    Dl_info info = {};
    if (!dladdr(reinterpret_cast<void*>(&qelModuleLoader::getFolder), &info) || !info.dli_fname)
        return std::string();
    std::string path = info.dli_fname;
    const size_t slash = path.rfind('/');
    path.erase(slash == std::string::npos ? 0 : slash + 1);
    return path + "lorbane-modules/";
}

std::string qelModuleLoader::getFileName(const char* name)
{
    return std::string("lorbane-") + (name ? name : "") + ".so";
}

bool qelModuleLoader::load(const char* name, std::string& reason)
{
    auto& modules = loadedModules();
    auto known = modules.find(name);
    if (known == modules.end()) {
        const std::string file = getFileName(name);
        const std::string folder = getFolder();
        if (folder.empty()) {
            reason = "module " + file + ": the engine library cannot be located";
            return false;
        }
        void* handle = dlopen((folder + file).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* error = dlerror();
            reason = "module " + file + ": " + (error ? error : "cannot be loaded");
            return false;
        }
        auto registration = reinterpret_cast<RegisterFunction>(dlsym(handle, REGISTER_FUNCTION));
        if (!registration) {
            reason = "module " + file + ": no " + REGISTER_FUNCTION;
            return false;
        }
        known = modules.emplace(name, registration).first;
    }
    known->second();
    return true;
}

void qelModuleLoader::require(const char* name)
{
    std::string reason;
    if (load(name, reason))
        return;
    qelGlobalDSPool* pool = qelGlobalDSPool::exists() ? qelGlobalDSPool::getInstance() : nullptr;
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    if (log && log->anyOf(QEL_LOG_ANY))
        log->printLine("%s", reason.c_str());
    throw new qelException(__FILE__, __LINE__, qelMsg::E012, 0, true, "module", getFileName(name).c_str());
}
