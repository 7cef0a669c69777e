// Tarnwick's entry point: everything else lives in the editor library.

#include "editor.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    return tarnwick::RunEditor(instance, commandLine ? commandLine : "");
}
