# `cmake --install BUILD --prefix P`: the two programs in P/bin, the default profile files and
# the samples in P/share/velmora (found relative to the programs, so P may be moved later), the
# desktop entry, icons, AppStream metadata, MIME type, man pages and bash completion; and the
# Debian package (`cpack -G DEB` in the build folder).

set(VELMORA_APP_ID org.velmora.Velmora)
# The date of the release that PROJECT_VERSION names (AppStream metadata, package).
set(VELMORA_RELEASE_DATE 2026-12-09)
set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(VELMORA_MAINTAINER "The Velmora developers <maintainers@velmora.org>"
    CACHE STRING "The Maintainer field of the Debian package and its change log")

install(TARGETS velmora-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET velmora)
    install(TARGETS velmora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/profile ${PROJECT_SOURCE_DIR}/resources/samples
        DESTINATION ${CMAKE_INSTALL_DATADIR}/velmora)

# Desktop integration.
configure_file(${packaging}/${VELMORA_APP_ID}.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/packaging/${VELMORA_APP_ID}.metainfo.xml @ONLY)
install(FILES ${packaging}/${VELMORA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_BINARY_DIR}/packaging/${VELMORA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${packaging}/${VELMORA_APP_ID}.mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME ${VELMORA_APP_ID}.xml)
install(FILES ${packaging}/icons/${VELMORA_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
    install(FILES ${packaging}/icons/${size}/${VELMORA_APP_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${packaging}/velmora-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME velmora-cli)

# Man pages from the programs' own --help and --version, written when the programs are built.
find_program(HELP2MAN help2man)
if(HELP2MAN)
    set(man_pages)
    set(man_programs velmora-cli)
    if(TARGET velmora)
        list(APPEND man_programs velmora)
    endif()
    foreach(program IN LISTS man_programs)
        set(page ${PROJECT_BINARY_DIR}/man/${program}.1.gz)
        if(program STREQUAL velmora-cli)
            set(name "command-line tool for Velmora workspaces")
            set(commands ON)
        else()
            set(name "end-of-day technical analysis of stocks, indexes and funds")
            set(commands OFF)
        endif()
        add_custom_command(
            OUTPUT ${page}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
            # A sanitized build's leak report is not the man page's business.
            COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
                    ${CMAKE_COMMAND} -DHELP2MAN=${HELP2MAN} -DPROGRAM=$<TARGET_FILE:${program}>
                    -DNAME=${name} -DINCLUDE=${packaging}/${program}.h2m -DOUTPUT=${page}
                    -DCOMMANDS=${commands} -P ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
            DEPENDS ${program} ${packaging}/${program}.h2m ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
            COMMENT "Writing the man page of ${program}"
            VERBATIM)
        list(APPEND man_pages ${page})
    endforeach()
    add_custom_target(velmora_man_pages ALL DEPENDS ${man_pages})
    install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
    message(STATUS "help2man not found: no man pages (Debian package help2man)")
endif()

# The package's change log (Debian wants it compressed in the documentation folder).
configure_file(${packaging}/changelog.in ${PROJECT_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(
    OUTPUT ${PROJECT_BINARY_DIR}/packaging/changelog.gz
    COMMAND gzip -9nkf ${PROJECT_BINARY_DIR}/packaging/changelog
    DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog
    VERBATIM)
add_custom_target(velmora_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz DESTINATION ${VELMORA_INSTALL_DOCDIR})

# The Debian package: `cpack -G DEB` in the build folder (tools/build-deb.sh does the whole way).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Velmora developers")
set(CPACK_PACKAGE_CONTACT ${VELMORA_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "end-of-day technical analysis of stocks, indexes and funds")
# Lines of the extended description stay under 80 characters.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Velmora keeps a local database of daily quotations, imports quotation\n"
    "files (comma-separated, text exports, Metastock data folders, teletext\n"
    "pages), draws charts with indicator panes and drawing tools, evaluates\n"
    "formulas of its array language QRX, scans every stock for signals, back\n"
    "tests trading rules with a report, and keeps a portfolio. velmora-cli does\n"
    "the same work without windows, and both programs can be scripted in\n"
    "JavaScript.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The toolbar images are SVG, drawn by Qt's SVG icon engine, a plugin the linker does not see.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
# Chart text needs a font; reports and custom tools open with the desktop's opener.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, xdg-utils")
include(CPack)
