#include "applier/win32/applier_main.hpp"

int wmain(int argc, wchar_t** argv) {
    return bc::win32::runApplier(argc, argv);
}
