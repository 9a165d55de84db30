// The launch target of the hotkey benchmark: the first thing it does is read
// the performance counter (one clock for every process of the Wine prefix),
// then it appends that value to stamp.log beside itself and exits.
#include <windows.h>

#include <cstdio>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);

    wchar_t path[MAX_PATH * 2] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    DWORD cut = length;
    while (cut > 0 && path[cut - 1] != L'\\') --cut;
    lstrcpyW(path + cut, L"stamp.log");

    char line[32];
    const int n = std::snprintf(line, sizeof line, "%lld\n", static_cast<long long>(now.QuadPart));
    for (int attempt = 0; attempt < 200; ++attempt) {
        HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, line, static_cast<DWORD>(n), &written, nullptr);
            CloseHandle(file);
            return 0;
        }
        Sleep(5);
    }
    return 1;
}
