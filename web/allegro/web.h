/* The library's web platform: drivers that live inside a browser page. The program runs in a
   worker, or else on the page's thread, and gives its thread back at frames and whenever it
   rests; meanwhile program.js hands it the page's input and takes its frames through the
   functions the drivers export. */
#ifndef WEB_PLATFORM_H
#define WEB_PLATFORM_H

#include "allegro.h"
#include "allegro/internal/aintern.h"

#define SYSTEM_WEB AL_ID('W', 'E', 'B', ' ')
#define GFX_WEB AL_ID('W', 'E', 'B', ' ')
#define KEYBOARD_WEB AL_ID('W', 'E', 'B', ' ')
#define MOUSE_WEB AL_ID('W', 'E', 'B', ' ')
#define TIMER_WEB AL_ID('W', 'E', 'B', ' ')

/* The one size the page shows, as its canvas (index.html) has it. */
#define WEB_SCREEN_W 800
#define WEB_SCREEN_H 600

extern SYSTEM_DRIVER system_web;
extern GFX_DRIVER gfx_web;
extern KEYBOARD_DRIVER keyboard_web;
extern MOUSE_DRIVER mousedrv_web;
extern TIMER_DRIVER timer_web;

/* The close hook the program registered, or NULL. */
extern void (*_web_close_hook)(void);

#endif
