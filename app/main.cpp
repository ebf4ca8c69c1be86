// Program entry. The main window arrives with the GUI; until then this only reports what it would load.
#include <cstdio>

int main(int argc, char** argv) {
    std::printf("TESK: the main window is not built yet.%s%s\n", argc > 1 ? " Data file: " : "",
                argc > 1 ? argv[1] : "");
    return 0;
}
