#include "app/win32/program.hpp"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return bc::win32::runProgram(instance);
}
