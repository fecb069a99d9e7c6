# What the Windows zip holds, installed flat into one folder: the program, the README, its
# licence and the library's. scripts/build-windows.sh installs and packs it.
install(TARGETS comets RUNTIME DESTINATION .)
install(FILES README.md DESTINATION .)
install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
install(FILES ${ALLEGRO_ROOT}/allegro-licence.txt DESTINATION .)
