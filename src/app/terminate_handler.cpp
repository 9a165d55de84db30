// The runtime's default terminate handler demangles the type of the escaping
// exception for its message, and with it links in the whole demangler and
// MinGW's printf machinery (about 150 KB, a quarter of the program).  The
// program has no console to print to anyway: this handler writes a short
// line to the standard error handle (seen when run under Wine or a debugger)
// and aborts, as the default one does.  It replaces the runtime's handler at
// link time, so nothing else has to install it.
#include "platform/win32/win32.h"

#include <cstdlib>
#include <cstring>
#include <exception>

namespace {

void WriteError(const char* text) {
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    if (err == nullptr || err == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(err, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

}  // namespace

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    static bool terminating = false;
    if (!terminating) {
        terminating = true;
        WriteError("velmora: terminate called");
        if (std::exception_ptr escaping = std::current_exception()) {
            try {
                std::rethrow_exception(escaping);
            } catch (const std::exception& e) {
                WriteError(" after an exception: ");
                WriteError(e.what());
            } catch (...) {
                WriteError(" after an exception of unknown type");
            }
        }
        WriteError("\n");
    }
    std::abort();
}

}  // namespace __gnu_cxx
