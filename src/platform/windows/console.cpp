// A program linked for the Windows GUI has no console. Standard output and error still reach
// a file or pipe they were redirected to; otherwise the text goes to the console of the
// command prompt it was started from, and where there is none (started from Explorer), to a
// message box.
#include <windows.h>

#include "console.h"

namespace {

bool write_all(HANDLE handle, const std::string& text) {
    DWORD written = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

}  // namespace

void tell_user(const std::string& text, bool is_error) {
    const HANDLE standard = GetStdHandle(is_error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    if (standard != nullptr && standard != INVALID_HANDLE_VALUE &&
        GetFileType(standard) != FILE_TYPE_UNKNOWN && write_all(standard, text)) {
        return;
    }
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        const HANDLE console = CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, 0, nullptr);
        const bool written = write_all(console, text);
        if (console != INVALID_HANDLE_VALUE) {
            CloseHandle(console);
        }
        FreeConsole();
        if (written) {
            return;
        }
    }
    const UINT icon = is_error ? MB_ICONERROR : MB_ICONINFORMATION;
    MessageBoxA(nullptr, text.c_str(), "comets", MB_OK | icon);
}

void show_notice(const std::string& text) {
    MessageBoxA(nullptr, text.c_str(), "comets", MB_OK | MB_ICONINFORMATION);
}
