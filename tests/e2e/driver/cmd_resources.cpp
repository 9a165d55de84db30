// Changing a program file's resources, to start the program with a damaged
// one (a stored form that does not parse, for instance).
#include "driver.h"

#include <vector>

namespace velmora::driver {
namespace {

std::vector<char> ReadAll(const std::wstring& path, bool& ok) {
    std::vector<char> data;
    ok = false;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return data;
    const DWORD size = GetFileSize(file, nullptr);
    data.resize(size);
    DWORD got = 0;
    ok = size == INVALID_FILE_SIZE ? false : (ReadFile(file, data.data(), size, &got, nullptr) && got == size);
    CloseHandle(file);
    return data;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
    reinterpret_cast<std::vector<WORD>*>(param)->push_back(language);
    return TRUE;
}

// The languages the resource exists in now: each is replaced, so that no
// copy of the old data is left for the loader to find.
std::vector<WORD> LanguagesOf(const std::wstring& exe, LPCWSTR type, LPCWSTR name) {
    std::vector<WORD> languages;
    if (HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        EnumResourceLanguagesW(module, type, name, &CollectLanguage, reinterpret_cast<LONG_PTR>(&languages));
        FreeLibrary(module);
    }
    if (languages.empty()) languages.push_back(MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    return languages;
}

// set-resource: replaces (or adds) one resource of a program file with the
// bytes of a file.  --type is RCDATA, ICON, or a number; --name is the
// resource's name (#n for a numeric id).
int SetResource(const Args& args) {
    const std::wstring exe = args.Option(L"exe");
    const std::wstring dataPath = args.Option(L"data");
    const std::wstring type = args.Option(L"type", L"RCDATA");
    const std::wstring name = args.Option(L"name");
    if (exe.empty() || dataPath.empty() || name.empty()) {
        Err(L"set-resource --exe <program> --name <name> --data <file> [--type RCDATA]");
        return 2;
    }
    bool ok = false;
    std::vector<char> data = ReadAll(dataPath, ok);
    if (!ok) {
        Err(L"cannot read " + dataPath);
        return 1;
    }
    LPCWSTR typeId = type == L"RCDATA" ? MAKEINTRESOURCEW(10)
                     : type == L"ICON" ? MAKEINTRESOURCEW(3)
                                       : MAKEINTRESOURCEW(ParseNumber(type));
    LPCWSTR nameId = name[0] == L'#' ? MAKEINTRESOURCEW(ParseNumber(name.substr(1))) : name.c_str();
    const std::vector<WORD> languages = LanguagesOf(exe, typeId, nameId);
    HANDLE update = BeginUpdateResourceW(exe.c_str(), FALSE);
    if (!update) {
        Err(L"cannot open " + exe + L" for resource changes");
        return 1;
    }
    bool changed = true;
    for (WORD language : languages) {
        changed = changed &&
                  UpdateResourceW(update, typeId, nameId, language, data.data(), static_cast<DWORD>(data.size()));
    }
    if (!EndUpdateResourceW(update, changed ? FALSE : TRUE) || !changed) {
        Err(L"cannot change the resource");
        return 1;
    }
    OutLine(std::to_wstring(languages.size()));
    return 0;
}

const Registration setResource{
    {L"set-resource", L"--exe <program> --name <name> --data <file> [--type RCDATA|ICON|n]", SetResource}};

}  // namespace
}  // namespace velmora::driver
