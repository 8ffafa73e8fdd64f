// Holds a file open the way another program would, for the end-to-end tests.
//   file_holder PATH [none|read]   open PATH for reading, sharing nothing (default) or reading
// Prints "held" once the file is open (or "failed <error>"), then keeps it open until its standard
// input reaches end of file.
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fputs("usage: file_holder PATH [none|read]\n", stderr);
        return 2;
    }
    DWORD share = (argc > 2 && std::wstring(argv[2]) == L"read") ? FILE_SHARE_READ : 0;
    HANDLE file = CreateFileW(argv[1], GENERIC_READ, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::printf("failed %lu\n", GetLastError());
        std::fflush(stdout);
        return 1;
    }
    std::puts("held");
    std::fflush(stdout);
    char buf[256];
    DWORD got = 0;
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    while (ReadFile(in, buf, sizeof buf, &got, nullptr) && got > 0) {
    }
    CloseHandle(file);
    return 0;
}
