// Holds a file the way another program locks it: open for reading and writing, shared with
// nobody, until told to let go.
//   hold_file PATH NAME   opens PATH, sets the event "NAME-held", waits (at most a minute) for
//                         the event "NAME-release", closes PATH. Exits 0, or 1 when PATH could
//                         not be opened.

#include <windows.h>

#include <string>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const std::string name = argv[2];
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, (name + "-held").c_str());
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, (name + "-release").c_str());
    HANDLE file = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    SetEvent(held);
    WaitForSingleObject(release, 60000);
    CloseHandle(file);
    CloseHandle(held);
    CloseHandle(release);
    return 0;
}
