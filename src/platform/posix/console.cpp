#include <cstdio>

#include "console.h"

void tell_user(const std::string& text, bool is_error) {
    std::FILE* stream = is_error ? stderr : stdout;
    std::fputs(text.c_str(), stream);
    std::fflush(stream);
}

void show_notice(const std::string& text) {
    tell_user(text + "\n", false);
}
