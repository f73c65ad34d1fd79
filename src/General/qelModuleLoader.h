#ifndef QEL_MODULE_LOADER_H
#define QEL_MODULE_LOADER_H

#include <string>

// The registration function of a module, exported by each module.
extern "C" void qelRegisterModule();

// Optional parts of the engine that need heavy libraries live in modules:
// shared objects named lorbane-<name>.so in the folder lorbane-modules
// beside the library that holds the engine. A module is loaded the first
// time a conversion needs it and never unloaded; its one registration
// function, qelRegisterModule, fills the kernel's registries.
class qelModuleLoader
{
public:
    // Name of the registration function every module exports.
    static const char* const REGISTER_FUNCTION;

    // The module folder, ending in '/'; empty when the engine's library
    // cannot be located.
    static std::string getFolder();
    // "lorbane-<name>.so".
    static std::string getFileName(const char* name);
    // Loads the module once and calls its registration function (again
    // after the registries were cleared). False with the reason when the
    // module is missing or fails to load.
    static bool load(const char* name, std::string& reason);
    // As load; E012 naming the module file when it fails, the reason in
    // the log.
    static void require(const char* name);
};

#endif
