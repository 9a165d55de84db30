/* A stand-in for a system DLL, planted beside a program by the DLL planting
 * scenario.  Loading it leaves "<its file name>.loaded" beside it, holding the
 * path of the program that loaded it; it does nothing else. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    WCHAR marker[MAX_PATH + 16];
    DWORD length = GetModuleFileNameW(self, marker, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return TRUE;
    lstrcatW(marker, L".loaded");
    WCHAR program[MAX_PATH];
    DWORD programLength = GetModuleFileNameW(NULL, program, MAX_PATH);
    HANDLE file = CreateFileW(marker, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, program, programLength * sizeof(WCHAR), &written, NULL);
        CloseHandle(file);
    }
    return TRUE;
}
