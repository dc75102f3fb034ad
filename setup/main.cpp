#include "tarnsetup_app.h"

CTarnsetupApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return RunCurrentApplication(instance);
}
