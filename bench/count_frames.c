/* Preloaded in front of the library: counts the blits to the screen, each one a frame, and
   writes "<frames> <seconds from the first to the last>" to the file named by
   COUNT_FRAMES_FILE: every tenth of a second while frames come, so a test can watch the
   program run or stand still, and once more at exit. */
#define _GNU_SOURCE
#include <allegro.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

typedef void (*blit_fn)(BITMAP*, BITMAP*, int, int, int, int, int, int);

static long frames;
static struct timespec first, last, reported;

static double seconds_between(struct timespec from, struct timespec to) {
    return (double)(to.tv_sec - from.tv_sec) + (double)(to.tv_nsec - from.tv_nsec) / 1e9;
}

/* Written beside the file and renamed over it, so a reader never sees half a report. */
static void report(void) {
    const char* path = getenv("COUNT_FRAMES_FILE");
    char partial[4096];
    if (path == NULL || snprintf(partial, sizeof partial, "%s.partial", path) >= 4096) {
        return;
    }
    FILE* out = fopen(partial, "w");
    if (out == NULL) {
        return;
    }
    fprintf(out, "%ld %.3f\n", frames, seconds_between(first, last));
    if (fclose(out) == 0) {
        rename(partial, path);
    }
}

void blit(BITMAP* source, BITMAP* dest, int source_x, int source_y, int dest_x, int dest_y,
          int width, int height) {
    static blit_fn real_blit;
    if (real_blit == NULL) {
        real_blit = (blit_fn)dlsym(RTLD_NEXT, "blit");
    }
    real_blit(source, dest, source_x, source_y, dest_x, dest_y, width, height);
    if (dest == screen) {
        clock_gettime(CLOCK_MONOTONIC, &last);
        if (frames++ == 0) {
            first = last;
        }
        if (frames == 1 || seconds_between(reported, last) >= 0.1) {
            reported = last;
            report();
        }
    }
}

__attribute__((destructor)) static void report_at_exit(void) {
    report();
}
