// The web entry: hands over to the program's WinMain, as the Windows start-up code does, and
// ends with its status through exit, which runs the exit-time clean-up and tells the page
// (onExit). A main that returns after its loop has yielded to the browser would report nothing.
#include <windows.h>

#include <cstdlib>

int main() {
    char commandLine[] = "";
    std::exit(WinMain(GetModuleHandleA(NULL), NULL, commandLine, SW_SHOWDEFAULT));
}
