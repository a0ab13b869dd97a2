#include "host/effect_module.h"

#include "host/module_loader.h"

EffectModule::~EffectModule() { close(); }

bool EffectModule::open(const std::string &path) {
    close();
    error_.clear();
    void *library = openModuleLibrary(path, error_);
    if (library == nullptr) return false;
    void *symbol = findModuleSymbol(library, kEffectEntryPointName);
    if (symbol == nullptr) {
        error_ = path + " exports no " + kEffectEntryPointName;
        closeModuleLibrary(library);
        return false;
    }
    library_ = library;
    entry_ = reinterpret_cast<PF_FilterProc>(symbol);
    return true;
}

void EffectModule::close() {
    closeModuleLibrary(library_);
    library_ = nullptr;
    entry_ = nullptr;
}
