// Text for the person who started the program: its help, its version, a usage error.
// posix/console.cpp writes it to standard output or standard error (in a browser too, where
// the page takes them); a Windows program has no console of its own, so windows/console.cpp
// writes to the one it was started from, or shows a message box.
#pragma once

#include <string>

void tell_user(const std::string& text, bool is_error);

// A notice the user answers, as a Windows screen saver's settings dialog would be: a message
// box on Windows, a line on standard output elsewhere.
void show_notice(const std::string& text);
