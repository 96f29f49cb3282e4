# SPDX-License-Identifier: GPL-3.0-or-later
# Installation on Windows: one folder holding the program and all it needs to run, as the installer
# (packaging/windows/quillmora.nsi, made by scripts/windows/package.sh) or a zip carries it.
#
#   quillmora.exe  KvHelp.chm  KvHelp_en.chm  qt.conf
#   Qt6Core.dll  Qt6Gui.dll  Qt6Widgets.dll                      the Qt libraries the program links
#   libstdc++-6.dll  libgcc_s_seh-1.dll  libwinpthread-1.dll     the MinGW-w64 runtime they link
#   platforms/qwindows.dll  styles/qwindowsvistastyle.dll
#   imageformats/qico.dll  imageformats/qgif.dll                 the icons; the settings window's title
#   translations/qtbase_ja.qm                                    Qt's Japanese texts (standard buttons)
#
# Nothing else: no OpenGL renderer (the windows are drawn by the processor), no other plugin.

install(TARGETS quillmora RUNTIME DESTINATION .)
install(FILES "${CMAKE_BINARY_DIR}/KvHelp.chm" "${CMAKE_BINARY_DIR}/KvHelp_en.chm" DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets> DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)
install(FILES $<TARGET_FILE:Qt6::QICOPlugin> $<TARGET_FILE:Qt6::QGifPlugin> DESTINATION imageformats)

# The compiler's own runtime, where the compiler keeps it.
foreach(_runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND "${CMAKE_CXX_COMPILER}" -print-file-name=${_runtime}
                    OUTPUT_VARIABLE _found OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${_found}" OR NOT EXISTS "${_found}")
        message(FATAL_ERROR "The compiler does not know where ${_runtime} is (it said \"${_found}\").")
    endif()
    install(FILES "${_found}" DESTINATION .)
endforeach()

# Qt's catalogues are the same on every system: the system's Qt has them (qt6-translations-l10n).
find_file(QUILLMORA_QTBASE_JA qtbase_ja.qm PATHS /usr/share/qt6/translations NO_CMAKE_FIND_ROOT_PATH
          DOC "Qt's Japanese catalogue, qtbase_ja.qm")
if(NOT QUILLMORA_QTBASE_JA)
    message(FATAL_ERROR "qtbase_ja.qm not found: install qt6-translations-l10n, or set QUILLMORA_QTBASE_JA.")
endif()
install(FILES "${QUILLMORA_QTBASE_JA}" DESTINATION translations)

# Qt finds its plugins and catalogues beside the program. (Not in the build folder: there the tests take
# them from the Qt they were built with.)
file(WRITE "${CMAKE_BINARY_DIR}/packaging/qt.conf" "[Paths]\nPrefix = .\nPlugins = .\nTranslations = translations\n")
install(FILES "${CMAKE_BINARY_DIR}/packaging/qt.conf" DESTINATION .)
install(FILES "${PROJECT_SOURCE_DIR}/LICENSE" DESTINATION . RENAME LICENSE.txt)

# The installer, quillmora-setup.exe in the build folder (NSIS, Debian's nsis).
find_program(MAKENSIS_EXECUTABLE makensis DOC "NSIS, which makes the Windows installer")
if(MAKENSIS_EXECUTABLE)
    add_custom_target(installer
        COMMAND "${CMAKE_COMMAND}" "-DBUILD=${CMAKE_BINARY_DIR}" "-DSOURCE=${PROJECT_SOURCE_DIR}"
                "-DVERSION=${PROJECT_VERSION}" "-DSTRIP=${CMAKE_STRIP}" "-DMAKENSIS=${MAKENSIS_EXECUTABLE}"
                -P "${PROJECT_SOURCE_DIR}/packaging/windows/make-installer.cmake"
        DEPENDS quillmora help_chm help_chm_en
        COMMENT "Making the installer quillmora-setup.exe" VERBATIM)
endif()
