// A pointer for a headless Wayland compositor, whose seat has none: creates a
// virtual pointer (wlr virtual pointer protocol) and plays the steps given on
// the command line, in output pixels:
//   move X Y | down [B] | up [B] | click [B] | drag X1 Y1 X2 Y2 | wheel N | sleep MS
// B is 1 (left, the default), 2 (middle) or 3 (right); wheel N turns the wheel N
// notches away from the user (N < 0: towards).
#define _POSIX_C_SOURCE 200809L
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <wayland-client.h>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

static struct zwlr_virtual_pointer_manager_v1* manager;
static struct wl_output* output;
static int width, height;  // of the output's current mode

static void mode(void* data, struct wl_output* o, uint32_t flags, int32_t w, int32_t h,
                 int32_t refresh) {
    (void)data, (void)o, (void)refresh;
    if (flags & WL_OUTPUT_MODE_CURRENT) width = w, height = h;
}
static void geometry(void* data, struct wl_output* o, int32_t x, int32_t y, int32_t pw, int32_t ph,
                     int32_t subpixel, const char* make, const char* model, int32_t transform) {
    (void)data, (void)o, (void)x, (void)y, (void)pw, (void)ph, (void)subpixel, (void)make,
        (void)model, (void)transform;
}
static void done(void* data, struct wl_output* o) {
    (void)data, (void)o;
}
static void scale(void* data, struct wl_output* o, int32_t factor) {
    (void)data, (void)o, (void)factor;
}
static void text(void* data, struct wl_output* o, const char* value) {
    (void)data, (void)o, (void)value;
}
static const struct wl_output_listener output_listener = {geometry, mode, done, scale, text, text};

static void global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                   uint32_t version) {
    (void)data, (void)version;
    if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
    } else if (strcmp(interface, wl_output_interface.name) == 0 && !output) {
        output = wl_registry_bind(registry, name, &wl_output_interface, 1);
        wl_output_add_listener(output, &output_listener, NULL);
    }
}
static void global_remove(void* data, struct wl_registry* registry, uint32_t name) {
    (void)data, (void)registry, (void)name;
}
static const struct wl_registry_listener registry_listener = {global, global_remove};

static struct wl_display* display;
static struct zwlr_virtual_pointer_v1* pointer;

static uint32_t now_ms(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (uint32_t)(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}
static void pause_ms(long ms) {
    struct timespec t = {ms / 1000, (ms % 1000) * 1000000};
    nanosleep(&t, NULL);
}
// Ends one pointer event and hands it to the compositor.
static void send_frame(long settle_ms) {
    zwlr_virtual_pointer_v1_frame(pointer);
    wl_display_flush(display);
    pause_ms(settle_ms);
}
static void move(int x, int y) {
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    zwlr_virtual_pointer_v1_motion_absolute(pointer, now_ms(), (uint32_t)x, (uint32_t)y,
                                            (uint32_t)width, (uint32_t)height);
    send_frame(30);
}
static void button(int which, int pressed) {
    static const uint32_t codes[] = {BTN_LEFT, BTN_MIDDLE, BTN_RIGHT};
    zwlr_virtual_pointer_v1_button(
        pointer, now_ms(), codes[which - 1],
        pressed ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
    send_frame(60);
}
static void wheel(int notches) {
    int step = notches > 0 ? -1 : 1;  // a negative value scrolls up, away from the user
    for (int i = 0; i < abs(notches); ++i) {
        zwlr_virtual_pointer_v1_axis_source(pointer, WL_POINTER_AXIS_SOURCE_WHEEL);
        zwlr_virtual_pointer_v1_axis_discrete(pointer, now_ms(), WL_POINTER_AXIS_VERTICAL_SCROLL,
                                              wl_fixed_from_int(15 * step), step);
        send_frame(80);
    }
}

static int number(const char* text) {
    char* end;
    long v = strtol(text, &end, 10);
    if (*end) {
        fprintf(stderr, "vpointer: not a number: %s\n", text);
        exit(2);
    }
    return (int)v;
}
// The button named at argv[*i], if any (else the left one).
static int button_arg(int argc, char** argv, int* i) {
    if (*i + 1 < argc && argv[*i + 1][0] >= '1' && argv[*i + 1][0] <= '3' && !argv[*i + 1][1])
        return number(argv[++*i]);
    return 1;
}

int main(int argc, char** argv) {
    display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "vpointer: no Wayland display\n");
        return 1;
    }
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, NULL);
    wl_display_roundtrip(display);
    wl_display_roundtrip(display);  // the output's mode
    if (!manager || !width || !height) {
        fprintf(stderr, "vpointer: the compositor offers no virtual pointer or output\n");
        return 1;
    }
    pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, NULL);
    wl_display_roundtrip(display);

    for (int i = 1; i < argc; ++i) {
        const char* step = argv[i];
        int left = argc - i - 1;
        if (strcmp(step, "move") == 0 && left >= 2) {
            move(number(argv[i + 1]), number(argv[i + 2]));
            i += 2;
        } else if (strcmp(step, "down") == 0 || strcmp(step, "up") == 0) {
            button(button_arg(argc, argv, &i), step[0] == 'd');
        } else if (strcmp(step, "click") == 0) {
            int b = button_arg(argc, argv, &i);
            button(b, 1);
            button(b, 0);
        } else if (strcmp(step, "drag") == 0 && left >= 4) {
            int x1 = number(argv[i + 1]), y1 = number(argv[i + 2]);
            int x2 = number(argv[i + 3]), y2 = number(argv[i + 4]);
            i += 4;
            move(x1, y1);
            button(1, 1);
            for (int k = 1; k <= 8; ++k) move(x1 + (x2 - x1) * k / 8, y1 + (y2 - y1) * k / 8);
            pause_ms(100);
            button(1, 0);
        } else if (strcmp(step, "wheel") == 0 && left >= 1) {
            wheel(number(argv[++i]));
        } else if (strcmp(step, "sleep") == 0 && left >= 1) {
            pause_ms(number(argv[++i]));
        } else {
            fprintf(stderr, "vpointer: cannot read the step '%s'\n", step);
            return 2;
        }
    }
    wl_display_roundtrip(display);
    zwlr_virtual_pointer_v1_destroy(pointer);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
