// The program's entry point: the main block runs the whole program.
#include "app/main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return runMainBlock(instance); }
