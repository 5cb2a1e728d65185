// A library planted beside the program under a system library's name, as
// anyone who can write to a portable copy's folder could plant one. It
// exports nothing: a program that loaded it in place of the system's could
// not go on.

#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
