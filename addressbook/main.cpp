#include "tarnbook_app.h"

CTarnbookApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return RunCurrentApplication(instance);
}
