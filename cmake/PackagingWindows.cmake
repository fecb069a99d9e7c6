# What the Windows zip holds, installed flat into one folder: the program, and the same again
# as a screen saver (Windows runs *.scr files so, and the program tells by its name), the
# README, its licence and the library's. scripts/build-windows.sh installs and packs it.
install(TARGETS comets RUNTIME DESTINATION .)
install(PROGRAMS $<TARGET_FILE:comets> DESTINATION . RENAME comets.scr)
install(FILES README.md DESTINATION .)
install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
install(FILES ${ALLEGRO_ROOT}/allegro-licence.txt DESTINATION .)
