/* Allegro's platform configuration for the web build: the library's Unix code paths, with
   no X11, no threads of its own and no assembler. */
#define ALLEGRO_UNIX
#define ALLEGRO_NO_ASM
#define ALLEGRO_USE_C
