#include <dlfcn.h>

#include "host/module_loader.h"

void *openModuleLibrary(const std::string &path, std::string &error) {
    // RTLD_LOCAL keeps the module's symbols out of the host's namespace, as a
    // real host keeps one effect's code apart from another's.
    void *library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char *text = dlerror();
        error = text != nullptr ? text : "cannot open " + path;
    }
    return library;
}

void *findModuleSymbol(void *library, const char *name) { return dlsym(library, name); }

void closeModuleLibrary(void *library) {
    if (library != nullptr) dlclose(library);
}
