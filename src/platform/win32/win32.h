// <windows.h> for Velmora's Windows code.  Include this instead of the
// system headers: it takes back the A/W macros whose names are also names of
// OsServices members (ShellExecute, DeleteFile, ...), which would otherwise
// rename those members in one translation unit and not in another.
#pragma once

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#undef DeleteFile
#undef GetOpenFileName
#undef RegisterWindowMessage
#undef ReplaceFile
#undef ShellExecute
#undef VkKeyScan
#undef WinHelp
