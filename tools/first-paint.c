/* first-paint MODE TITLE COMMAND [ARGS...]
 * Starts COMMAND and prints its process id and the milliseconds from the
 * start until a top-level window titled TITLE is viewable (MODE "window"),
 * or until that window shows a pixel of colour RRGGBB (MODE the six hex
 * digits). Leaves the program running; gives up after 20 s. For
 * tools/measure.sh, in the display it started. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

/* The viewable window under `root` (any depth) whose name is `title`. */
static Window find_window(Display *display, Window root, const char *title)
{
    Window parent, *children = NULL, found = 0;
    unsigned int count = 0;
    char *name = NULL;
    if (XFetchName(display, root, &name) && name) {
        int same = strcmp(name, title) == 0;
        XFree(name);
        XWindowAttributes attributes;
        if (same && XGetWindowAttributes(display, root, &attributes)
            && attributes.map_state == IsViewable)
            return root;
    }
    if (!XQueryTree(display, root, &root, &parent, &children, &count))
        return 0;
    for (unsigned int i = 0; i < count && !found; ++i)
        found = find_window(display, children[i], title);
    if (children)
        XFree(children);
    return found;
}

static int shows_colour(Display *display, Window window, unsigned long rgb)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes))
        return 0;
    XImage *image = XGetImage(display, window, 0, 0, attributes.width, attributes.height,
                              AllPlanes, ZPixmap);
    if (!image)
        return 0;
    int found = 0;
    for (int y = 0; y < image->height && !found; ++y)
        for (int x = 0; x < image->width && !found; ++x)
            found = (XGetPixel(image, x, y) & 0xffffff) == rgb;
    XDestroyImage(image);
    return found;
}

static int ignore_errors(Display *display, XErrorEvent *error)
{
    (void)display;
    (void)error;
    return 0;
}

int main(int argc, char **argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: first-paint window|RRGGBB TITLE COMMAND [ARGS...]\n");
        return 2;
    }
    Display *display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "first-paint: no display\n");
        return 2;
    }
    XSetErrorHandler(ignore_errors);
    const int by_colour = strcmp(argv[1], "window") != 0;
    const unsigned long rgb = strtoul(argv[1], NULL, 16);
    /* A window of a program that has just ended can outlive it briefly. */
    for (int i = 0; i < 2500 && find_window(display, DefaultRootWindow(display), argv[2]); ++i)
        usleep(2000);
    signal(SIGCHLD, SIG_DFL);
    const double start = now_ms();
    pid_t child = fork();
    if (child == 0) {
        /* Not our output: a caller reading it would wait for the program. */
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        setsid();
        execvp(argv[3], argv + 3);
        _exit(127);
    }
    while (now_ms() - start < 20000.0) {
        Window window = find_window(display, DefaultRootWindow(display), argv[2]);
        if (window && (!by_colour || shows_colour(display, window, rgb))) {
            printf("%d %.0f\n", (int)child, now_ms() - start);
            return 0;
        }
        usleep(2000);
    }
    printf("%d -1\n", (int)child);
    return 1;
}
