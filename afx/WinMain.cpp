// The program's entry point: hands the main thread to the one application object.
#include "WinApp.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR pszCmdLine, int nCmdShow)
{
    CWinApp* pApp = AfxGetApp();
    return pApp ? pApp->WinMainBody(hInstance, pszCmdLine, nCmdShow) : 1;
}
