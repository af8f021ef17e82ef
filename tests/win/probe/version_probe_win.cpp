// A library with nothing in it but (in some builds) version information, for the tests that read
// a file's description.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
