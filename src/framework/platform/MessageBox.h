#pragma once

#include <functional>
#include <string>

namespace Vesk::Platform
{

// Message box flags and answers, with the numbers the game's code has always used.
enum MessageBoxFlags : int
{
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_DEFBUTTON2 = 0x100,
    MB_DEFBUTTON3 = 0x200,
};

enum MessageBoxResult : int
{
    IDOK = 1,
    IDCANCEL = 2,
    IDYES = 6,
    IDNO = 7,
};

// Answers a message box instead of a person: tests install one to record boxes and choose.
using MessageBoxHandler = std::function<int(const std::string& text, const std::string& caption, int flags)>;

// Installs (or, with an empty function, removes) the handler that answers every box.
void SetMessageBoxHandler(MessageBoxHandler handler);

// Shows a modal message box and returns the button chosen. Every box is also written to
// standard error. Without a display (headless runs) the box's default button is the answer.
int ShowMessageBox(const std::string& text, const std::string& caption, int flags);

// The answer a box gives when nobody can click it.
int DefaultMessageBoxAnswer(int flags);

} // namespace Vesk::Platform
