# The Windows build: Allegro as the static library that scripts/build-windows.sh cross-builds
# into ALLEGRO_ROOT, and a program that needs no DLL beyond Windows' own.
set(ALLEGRO_ROOT "" CACHE PATH "Where the Windows build of Allegro 4 is installed")
find_path(ALLEGRO_INCLUDE_DIR allegro.h
    PATHS ${ALLEGRO_ROOT}/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
find_library(ALLEGRO_LIBRARY alleg
    PATHS ${ALLEGRO_ROOT}/lib NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)

add_library(allegro INTERFACE)
target_include_directories(allegro SYSTEM INTERFACE ${ALLEGRO_INCLUDE_DIR})
target_compile_definitions(allegro INTERFACE ALLEGRO_STATICLINK)
# The library draws through DirectDraw, reads input through DirectInput and plays sound
# through DirectSound; the rest is Windows' core.
target_link_libraries(allegro INTERFACE ${ALLEGRO_LIBRARY}
    dinput ddraw dxguid dsound winmm gdi32 comdlg32 ole32 user32 kernel32)

# -mwindows: started from Explorer it opens no console window (its message still reaches
# standard output where that is redirected). -static: the C and C++ run-times are inside.
# No link time in the header and no symbols, so one commit always gives the same bytes.
add_link_options(-static -mwindows -s -Wl,--no-insert-timestamp)
