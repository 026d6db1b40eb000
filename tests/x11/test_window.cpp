// A plain window for the hack's tests: prints its id and stays until the
// program is ended, which takes the window with it.
//   test-window WIDTH HEIGHT
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return 1;
    const int screen = DefaultScreen(display);
    Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, std::atoi(argv[1]),
        std::atoi(argv[2]), 0, WhitePixel(display, screen), WhitePixel(display, screen));
    XMapWindow(display, window);
    XSync(display, False);
    std::printf("0x%lx\n", window);
    std::fflush(stdout);
    for (;;)
        pause();
}
