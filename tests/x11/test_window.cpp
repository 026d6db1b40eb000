// A plain window for the hack's tests: prints its id, stays until killed or,
// with a time given, destroys itself after that many milliseconds.
//   test-window WIDTH HEIGHT [DESTROY-AFTER-MS]
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
    const long destroyAfter = argc > 3 ? std::atol(argv[3]) : -1;
    for (long waited = 0; destroyAfter < 0 || waited < destroyAfter; waited += 10)
        usleep(10000);
    XDestroyWindow(display, window);
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
