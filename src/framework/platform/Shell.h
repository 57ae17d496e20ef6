#pragma once

#include <string>

namespace Vesk::Platform
{

// Opens a web address in the user's browser. Returns a shell-style result: above 32 when the
// request was handed on, 2 when it failed.
int OpenURL(const std::string& url);

// Starts a program without waiting for it, when the file exists and is executable; backslashes
// in the path become slashes. False when nothing was started.
bool StartProgram(const std::string& path);

// The clipboard's text (empty when none) and replacing it. Texts are Latin-1, as every text of
// the game; characters the clipboard holds beyond Latin-1 are dropped.
std::string GetClipboardText();
bool SetClipboardText(const std::string& text);

} // namespace Vesk::Platform
