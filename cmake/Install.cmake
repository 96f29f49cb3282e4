# SPDX-License-Identifier: GPL-3.0-or-later
# Installation on a Linux desktop, and the Debian package made from it with CPack.
#
#   <prefix>/bin/quillmora                   the program; works in the folder it is started in
#   <prefix>/bin/quillmora-launcher          starts it in the user's data folder (menu entry)
#   <prefix>/share/quillmora/KvHelp.chm      the help file, KvHelp_en.chm in English
#   <prefix>/<libdir>/quillmora/quillmora-print.so   the print dialogs, loaded at the first print
#   <prefix>/share/applications/<id>.desktop
#   <prefix>/share/icons/hicolor/<n>x<n>/apps/quillmora.png
#   <prefix>/share/metainfo/<id>.metainfo.xml
#
# The program and the desktop entry are told where the help file and the launcher go when the
# build is configured, so the prefix given then (CMAKE_INSTALL_PREFIX) is the one to install
# into; the Debian package uses it too.

include(GNUInstallDirs)

# The desktop entry's and the AppStream component's id.
set(QUILLMORA_APP_ID "io.github.quillmora.quillmora")
set(QUILLMORA_INSTALL_DATADIR "${CMAKE_INSTALL_DATADIR}/quillmora")
set(QUILLMORA_INSTALL_MODULEDIR "${CMAKE_INSTALL_LIBDIR}/quillmora")

# The help viewer's last place to look, after the current folder and the executable's,
# as a C string literal.
string(REPLACE "\\" "\\\\" _datadir "${CMAKE_INSTALL_FULL_DATADIR}/quillmora")
string(REPLACE "\"" "\\\"" _datadir "${_datadir}")
target_compile_definitions(quillmora_ui PRIVATE "QUILLMORA_DATADIR=\"${_datadir}\"")
# Where the print dialogs' module is looked for after the executable's folder, the same way.
string(REPLACE "\\" "\\\\" _moduledir "${CMAKE_INSTALL_FULL_LIBDIR}/quillmora")
string(REPLACE "\"" "\\\"" _moduledir "${_moduledir}")
set_property(SOURCE "${PROJECT_SOURCE_DIR}/src/help/Printing.cpp" APPEND PROPERTY
             COMPILE_DEFINITIONS "QUILLMORA_MODULEDIR=\"${_moduledir}\"")

install(TARGETS quillmora RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
if(TARGET quillmora_print)
    install(TARGETS quillmora_print LIBRARY DESTINATION "${QUILLMORA_INSTALL_MODULEDIR}")
endif()
install(FILES "${CMAKE_BINARY_DIR}/KvHelp.chm" "${CMAKE_BINARY_DIR}/KvHelp_en.chm"
        DESTINATION "${QUILLMORA_INSTALL_DATADIR}")
install(CODE "set(_quillmora_built_for [==[${CMAKE_INSTALL_PREFIX}]==])")
install(CODE [[
if(NOT CMAKE_INSTALL_PREFIX STREQUAL _quillmora_built_for)
    message(WARNING "Installing into ${CMAKE_INSTALL_PREFIX}, but the build was configured for "
                    "${_quillmora_built_for}: the program will not find its help file there, nor "
                    "the menu entry its launcher. Configure with "
                    "-DCMAKE_INSTALL_PREFIX=${CMAKE_INSTALL_PREFIX} and build again.")
endif()
]])

if(NOT UNIX OR APPLE)
    return()
endif()

set(_packaging "${PROJECT_SOURCE_DIR}/packaging")
install(PROGRAMS "${_packaging}/quillmora-launcher" DESTINATION "${CMAKE_INSTALL_BINDIR}")
# The licence, where Debian keeps each package's copyright file.
install(FILES "${_packaging}/copyright" DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/quillmora")

# The entry starts the launcher by its full path. A path with unusual characters is quoted,
# with the characters that quoting gives a meaning escaped, and the backslashes doubled once
# more for the key file's own escapes.
set(QUILLMORA_DESKTOP_EXEC "${CMAKE_INSTALL_FULL_BINDIR}/quillmora-launcher")
if(QUILLMORA_DESKTOP_EXEC MATCHES "[^A-Za-z0-9/._+-]")
    string(REGEX REPLACE "([\\\\\"`$])" "\\\\\\1" _exec "${QUILLMORA_DESKTOP_EXEC}")
    string(REPLACE "\\" "\\\\" _exec "${_exec}")
    string(REPLACE "%" "%%" _exec "${_exec}")
    set(QUILLMORA_DESKTOP_EXEC "\"${_exec}\"")
endif()
configure_file("${_packaging}/quillmora.desktop.in"
               "${CMAKE_BINARY_DIR}/packaging/${QUILLMORA_APP_ID}.desktop" @ONLY)
configure_file("${_packaging}/quillmora.metainfo.xml.in"
               "${CMAKE_BINARY_DIR}/packaging/${QUILLMORA_APP_ID}.metainfo.xml" @ONLY)
install(FILES "${CMAKE_BINARY_DIR}/packaging/${QUILLMORA_APP_ID}.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${CMAKE_BINARY_DIR}/packaging/${QUILLMORA_APP_ID}.metainfo.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")

# The icon, drawn by resources/make_pictures.py at each size of the theme.
set(QUILLMORA_ICON_SIZES 16 32 48 64 128 256)
foreach(_size IN LISTS QUILLMORA_ICON_SIZES)
    install(FILES "${PROJECT_SOURCE_DIR}/resources/icons/hicolor/${_size}x${_size}/apps/quillmora.png"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps")
endforeach()

# The Debian package: cpack -G DEB in the build folder.
set(QUILLMORA_PACKAGE_MAINTAINER "Quillmora maintainers <maintainers@quillmora.invalid>"
    CACHE STRING "Maintainer named in the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillmora)
set(CPACK_PACKAGE_VENDOR Quillmora)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "exercise breaks for people who work at a computer")
set(CPACK_PACKAGE_DESCRIPTION
"Quillmora calls you to exercise while you work at a computer. Register up to
twenty training items, each with a name and an instructed count, and choose a
wait of one to sixty minutes, fixed or random: when the wait is over the
training window comes back and walks you through the items one by one.

Every count you did is recorded with its date and time in a history file per
item, kept in ~/.local/share/quillmora when started from the menu. The user
interface is Japanese.")
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUILLMORA_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from dpkg-shlibdeps; the Japanese font and Qt's own Japanese texts for
# the standard dialogs are used at run time and have to be named.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
