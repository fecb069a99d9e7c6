/* Preloaded in front of the library: counts the blits to the screen, each one a frame,
   and at exit writes "<frames> <seconds from the first to the last>" to the file named
   by COUNT_FRAMES_FILE. */
#define _GNU_SOURCE
#include <allegro.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

typedef void (*blit_fn)(BITMAP*, BITMAP*, int, int, int, int, int, int);

static long frames;
static struct timespec first, last;

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
    }
}

__attribute__((destructor)) static void report(void) {
    const char* path = getenv("COUNT_FRAMES_FILE");
    FILE* out = path != NULL ? fopen(path, "w") : NULL;
    if (out == NULL) {
        return;
    }
    fprintf(out, "%ld %.3f\n", frames,
            (double)(last.tv_sec - first.tv_sec) + (double)(last.tv_nsec - first.tv_nsec) / 1e9);
    fclose(out);
}
