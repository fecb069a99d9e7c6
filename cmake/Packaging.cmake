# Installs comets as a desktop program (binary, man page, menu entry, icon, AppStream
# metadata, copyright and changelog) and as a screen saver's display mode, and describes its
# Debian package.
include(GNUInstallDirs)

set(COMETS_APP_ID org.example.comets)
# The project's one contact: the package's maintainer, the changelog and the copyright file.
set(COMETS_CONTACT "The comets developers <comets@example.org>")
configure_file(data/copyright.in copyright @ONLY)
configure_file(data/changelog.in changelog @ONLY)
# Games live in their own directory on Debian (/usr/games), which is on every user's PATH.
set(COMETS_INSTALL_GAMESDIR games CACHE PATH "Where the program is installed, under the prefix")

# Debian ships man pages and changelogs gzipped; -n keeps the archives reproducible.
find_program(GZIP gzip REQUIRED)
foreach(source ${CMAKE_CURRENT_SOURCE_DIR}/data/comets.6 ${CMAKE_CURRENT_BINARY_DIR}/changelog)
    get_filename_component(file ${source} NAME)
    add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${file}.gz
        COMMAND ${GZIP} -9 -n -c ${source} > ${CMAKE_CURRENT_BINARY_DIR}/${file}.gz
        DEPENDS ${source}
        VERBATIM)
endforeach()
add_custom_target(compressed_docs ALL
    DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/comets.6.gz ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)

install(TARGETS comets RUNTIME DESTINATION ${COMETS_INSTALL_GAMESDIR})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/comets.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES data/comets.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES data/comets.svg
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
install(FILES data/comets.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo
    RENAME ${COMETS_APP_ID}.metainfo.xml)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DOCDIR})

# A display mode where Debian's xscreensaver runs them, and its description for
# xscreensaver-settings; xfce4-screensaver and mate-screensaver find it by the desktop entry in
# applications/screensavers, which runs it from there too. The mode is the program itself,
# through a link relative to it.
file(RELATIVE_PATH program_from_libexec /usr/${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver
    /usr/${COMETS_INSTALL_GAMESDIR}/comets)
file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/saver)
file(CREATE_LINK ${program_from_libexec} ${CMAKE_CURRENT_BINARY_DIR}/saver/comets SYMBOLIC)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/saver/comets
    DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)
install(FILES data/comets.xml DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/xscreensaver/config)
install(FILES data/comets-saver.desktop
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications/screensavers RENAME comets.desktop)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME comets)
set(CPACK_PACKAGE_VENDOR "The comets developers")
set(CPACK_PACKAGE_CONTACT "${COMETS_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "swarm of comets to herd with the mouse")
set(CPACK_PACKAGE_DESCRIPTION [=[
A full-screen graphics toy: 32 comets, each a chain of outlined discs
shrinking along a fading trail and sprayed with sparkles, wander over an
800x600 display, bounce off its edges and slowly change colour. The left
mouse button pulls them towards the pointer, the right one pushes them
away; P held freezes the picture and Esc quits.]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# Cross-built, the package is for the target's architecture, not the builder's.
if(COMETS_DEB_ARCHITECTURE)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${COMETS_DEB_ARCHITECTURE})
endif()
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends comes from the libraries the binary really links, through dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Reproducible packages: fixed file times (PackageDate.cmake) and directory modes that do
# not depend on the builder's umask.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/PackageDate.cmake)
set(CPACK_COMETS_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
