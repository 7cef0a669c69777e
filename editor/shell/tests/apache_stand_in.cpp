// Stands in for Apache's httpd.exe in the tests of Check with Apache. Called as Tarnwick calls
// Apache (-t -f FILE), it prints what Apache 2.4 for Windows printed for a configuration whose
// included file holds a misspelt directive on its fourth line, with the paths moved into
// FILE's folder, and exits 1, as Apache does. For a FILE named never-ends.conf it prints a line,
// holds the mutex "Tarnwick-stand-in-never-ends" and does not end for a minute, far longer than
// the limit the tests give it. (It ends then after all: under Wine, a process that
// TerminateProcess ended can leave its Unix process behind, and tests leave nothing running.)

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    std::string file;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "-f") == 0) file = argv[i + 1];
    if (file.empty()) return 2;
    for (char& c : file)
        if (c == '\\') c = '/';  // Apache names files with forward slashes
    const std::string folder = file.substr(0, file.find_last_of('/'));
    const std::string endless = "never-ends.conf";
    if (file.size() >= endless.size() && file.compare(file.size() - endless.size(), endless.size(), endless) == 0) {
        CreateMutexA(nullptr, TRUE, "Tarnwick-stand-in-never-ends");
        std::printf("Checking %s\n", file.c_str());
        std::fflush(stdout);
        Sleep(60000);
        return 3;
    }
    std::fprintf(stderr,
                 "httpd.exe: Syntax error on line 3 of %s: Syntax error on line 4 of %s/extra.conf: Invalid command "
                 "'KeepAliveTimout', perhaps misspelled or defined by a module not included in the server configuration\n",
                 file.c_str(), folder.c_str());
    return 1;
}
