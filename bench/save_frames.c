/* Preloaded in front of the library by scripts/screenshot.sh: saves consecutive frames the
   real program presents, so an animation can show it frame by frame. The program runs
   freely for SAVE_FRAMES_AFTER seconds (so its colours have drifted in), then each of the
   next SAVE_FRAMES_COUNT frames copied to the screen is written to SAVE_FRAMES_DIR as
   frameNNNN.ppm and held until 1/30 s after the one before it, so that pointer moves made
   meanwhile at a person's pace show up in the frames as they would at 30 frames per second.
   After the last one the program runs freely again. */
#define _GNU_SOURCE
#include <allegro.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

typedef void (*blit_fn)(BITMAP*, BITMAP*, int, int, int, int, int, int);

enum { FRAMES_PER_SECOND = 30 };

static double seconds_since(const struct timespec* start) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)(now.tv_sec - start->tv_sec) + (double)(now.tv_nsec - start->tv_nsec) / 1e9;
}

static void save_ppm(BITMAP* frame, const char* dir, long number) {
    char path[4096];
    snprintf(path, sizeof path, "%s/frame%04ld.ppm", dir, number);
    FILE* out = fopen(path, "wb");
    if (out == NULL) {
        perror(path);
        exit(1);
    }
    const int depth = bitmap_color_depth(frame);
    fprintf(out, "P6\n%d %d\n255\n", frame->w, frame->h);
    for (int y = 0; y < frame->h; ++y) {
        for (int x = 0; x < frame->w; ++x) {
            const int colour = getpixel(frame, x, y);
            const unsigned char rgb[3] = {(unsigned char)getr_depth(depth, colour),
                                          (unsigned char)getg_depth(depth, colour),
                                          (unsigned char)getb_depth(depth, colour)};
            fwrite(rgb, 1, sizeof rgb, out);
        }
    }
    fclose(out);
}

/* Sleeps until `frame` frames of 1/30 s have gone by since `start`. */
static void hold_until(const struct timespec* start, long frame) {
    const long long due = (long long)start->tv_sec * 1000000000LL + start->tv_nsec +
                          frame * (1000000000LL / FRAMES_PER_SECOND);
    const struct timespec until = {(time_t)(due / 1000000000LL), (long)(due % 1000000000LL)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, NULL) != 0) {
    }
}

static double number_from(const char* name) {
    const char* value = getenv(name);
    return value != NULL ? atof(value) : 0;
}

void blit(BITMAP* source, BITMAP* dest, int source_x, int source_y, int dest_x, int dest_y,
          int width, int height) {
    static blit_fn real_blit;
    static const char* dir;
    static double after;
    static long count, presented, saved;
    static struct timespec first, capture_start;
    if (real_blit == NULL) {
        real_blit = (blit_fn)dlsym(RTLD_NEXT, "blit");
        dir = getenv("SAVE_FRAMES_DIR");
        after = number_from("SAVE_FRAMES_AFTER");
        count = (long)number_from("SAVE_FRAMES_COUNT");
    }
    real_blit(source, dest, source_x, source_y, dest_x, dest_y, width, height);

    if (dest != screen || dir == NULL || saved >= count) {
        return;
    }
    if (presented++ == 0) {
        clock_gettime(CLOCK_MONOTONIC, &first);
    }
    if (seconds_since(&first) < after) {
        return;
    }
    if (saved == 0) {
        clock_gettime(CLOCK_MONOTONIC, &capture_start);
    }
    save_ppm(source, dir, ++saved);
    hold_until(&capture_start, saved);
}
