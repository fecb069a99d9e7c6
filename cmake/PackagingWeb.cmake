# The web page: comets.js and comets.wasm, and the site around them, which
# scripts/build-web.sh installs into build-web/site/ and packs.

# ASYNCIFY lets main's loop wait for the page without returning. Only the functions that can
# be on the stack at such a wait are instrumented: every path to the page's waits (a turn, a
# rest) is made of direct calls, which the analysis finds, and main is named; no wait is
# reached through a pointer, which is what ASYNCIFY_IGNORE_INDIRECT takes for granted. (An
# optimised build keeps no other names for the list to match.)
# EXIT_RUNTIME, so the page learns main's status; program.js starts main itself, and says why.
# It runs in a worker where the browser can, else on the page's thread.
set_target_properties(comets PROPERTIES SUFFIX .js)
set(exported _main _malloc _exit _web_take_frame _web_frames_made _web_keys_taken _web_key_code
    _web_key _web_mouse _web_close _web_show_pointer)
list(JOIN exported , exported)
target_link_options(comets PRIVATE
    -sASYNCIFY -sASYNCIFY_IGNORE_INDIRECT
    "-sASYNCIFY_ADD=[\"main\"]"
    -sEXIT_RUNTIME=1 -sINITIAL_MEMORY=64MB -sENVIRONMENT=web,worker
    -sEXPORTED_FUNCTIONS=${exported}
    -sEXPORTED_RUNTIME_METHODS=HEAPU8,HEAPU32,ccall,lengthBytesUTF8,stringToUTF8,UTF8ToString)

install(FILES $<TARGET_FILE:comets> $<TARGET_FILE_DIR:comets>/comets.wasm DESTINATION .)
file(GLOB page CONFIGURE_DEPENDS web/page/*)
install(FILES ${page} data/comets.svg DESTINATION .)
install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
install(FILES ${ALLEGRO_ROOT}/allegro-licence.txt DESTINATION .)
