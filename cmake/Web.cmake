# The web build (emcmake): Allegro as the static library that scripts/build-web.sh compiles
# with its web platform into ALLEGRO_ROOT. The platform's configuration headers come before
# the library's own, in place of those the library's own build would generate.
set(ALLEGRO_ROOT "" CACHE PATH "Where the web build of Allegro 4 is")
find_library(ALLEGRO_LIBRARY alleg
    PATHS ${ALLEGRO_ROOT}/lib NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)

add_library(allegro INTERFACE)
target_include_directories(allegro SYSTEM INTERFACE
    ${PROJECT_SOURCE_DIR}/web/allegro/include ${ALLEGRO_ROOT}/include)
target_link_libraries(allegro INTERFACE ${ALLEGRO_LIBRARY})
