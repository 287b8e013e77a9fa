// The desktop program's entry point on Linux: runs the program's main block.
#include "platform/winapi.h"

int main() { return WinMain(nullptr, nullptr, const_cast<char*>(""), SW_SHOWDEFAULT); }
