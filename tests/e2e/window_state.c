/* End-to-end helper run inside the test prefix: finds the installer's main window (class "MainFrame"),
   minimises it when asked ("minimise"), and prints its state as "iconic=<0|1> visible=<0|1>".
   "stop-silent" asks an unattended install (its hidden window, class "PavonelSilentRun") to stop instead. */
#include <windows.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char** argv)
{
    if (argc > 1 && strcmp(argv[1], "stop-silent") == 0) {
        HWND silent = FindWindowW(L"PavonelSilentRun", NULL);
        if (silent == NULL) {
            puts("none");
            return 2;
        }
        printf("visible=%d\n", IsWindowVisible(silent) ? 1 : 0);
        PostMessageW(silent, WM_CLOSE, 0, 0);
        return 0;
    }
    HWND window = FindWindowW(L"MainFrame", NULL);
    if (window == NULL) {
        puts("none");
        return 2;
    }
    if (argc > 1 && strcmp(argv[1], "minimise") == 0) {
        ShowWindow(window, SW_MINIMIZE);
        Sleep(500);
    }
    printf("iconic=%d visible=%d\n", IsIconic(window) ? 1 : 0, IsWindowVisible(window) ? 1 : 0);
    return 0;
}
