#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "tests/windows/driver/pipl_readback.h"

namespace {

constexpr const char kPiplType[] = "PiPL";
constexpr WORD kPiplId = 16000;
constexpr WORD kUsEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

BOOL CALLBACK collectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR list) {
    reinterpret_cast<std::vector<unsigned> *>(list)->push_back(language);
    return TRUE;
}

bool copyResource(HMODULE module, WORD language, std::vector<std::uint8_t> &bytes,
                  std::string &error) {
    HRSRC found = FindResourceExA(module, kPiplType, MAKEINTRESOURCEA(kPiplId), language);
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const void *data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr) {
        error = "the PiPL resource cannot be loaded (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    const auto *first = static_cast<const std::uint8_t *>(data);
    bytes.assign(first, first + SizeofResource(module, found));
    return true;
}

}  // namespace

bool readPiplResource(const std::string &modulePath, PiplReadback &readback, std::string &error) {
    HMODULE module = LoadLibraryExA(modulePath.c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr) {
        error = "cannot open " + modulePath + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    readback.languages.clear();
    EnumResourceLanguagesA(module, kPiplType, MAKEINTRESOURCEA(kPiplId), collectLanguage,
                           reinterpret_cast<LONG_PTR>(&readback.languages));
    bool ok = !readback.languages.empty();
    if (!ok) error = modulePath + " has no PiPL resource with id 16000";
    if (ok) {
        WORD language = WORD(readback.languages.front());
        for (unsigned l : readback.languages)
            if (l == kUsEnglish) language = kUsEnglish;
        ok = copyResource(module, language, readback.bytes, error);
    }
    FreeLibrary(module);
    return ok;
}
