# SPDX-License-Identifier: GPL-3.0-or-later
# Makes quillmora-setup.exe from the Windows build (the target `installer`):
#
#   cmake -DBUILD=<build folder> -DSOURCE=<source folder> -DVERSION=<x.y.z> -DSTRIP=<strip> -DMAKENSIS=<makensis>
#         -P make-installer.cmake
#
# The program is installed, stripped, into <build>/installer/Quillmora; the list of its files becomes the
# uninstaller's (it removes those and nothing else); the sizes of the folder and of the installer are told.
set(stage "${BUILD}/installer/Quillmora")
file(REMOVE_RECURSE "${BUILD}/installer")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${stage}" --strip
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
# The libraries installed as plain files keep their symbol tables until stripped here.
file(GLOB_RECURSE libraries "${stage}/*.dll")
execute_process(COMMAND "${STRIP}" --strip-unneeded ${libraries} COMMAND_ERROR_IS_FATAL ANY)

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${stage}" "${stage}/*")
list(SORT files)
set(uninstall "")
set(folders "")
set(size 0)
foreach(file IN LISTS files)
    file(SIZE "${stage}/${file}" bytes)
    math(EXPR size "${size} + ${bytes}")
    string(REPLACE "/" "\\" windows "${file}")
    string(APPEND uninstall "Delete \"$INSTDIR\\${windows}\"\n")
    get_filename_component(folder "${file}" DIRECTORY)
    if(folder)
        list(APPEND folders "${folder}")
    endif()
endforeach()
list(REMOVE_DUPLICATES folders)
list(SORT folders ORDER DESCENDING)  # the deepest first
foreach(folder IN LISTS folders)
    string(REPLACE "/" "\\" windows "${folder}")
    string(APPEND uninstall "RMDir \"$INSTDIR\\${windows}\"\n")
endforeach()
file(WRITE "${BUILD}/installer/files.nsh" "${uninstall}")
math(EXPR size_kb "(${size} + 1023) / 1024")

set(output "${BUILD}/quillmora-setup.exe")
execute_process(
    COMMAND "${MAKENSIS}" -V2 -NOCD "-DVERSION=${VERSION}" "-DSTAGE=${stage}" "-DFILES=${BUILD}/installer/files.nsh"
            "-DSIZE_KB=${size_kb}" "-DICON=${SOURCE}/resources/app.ico" "-DOUTFILE=${output}"
            "${SOURCE}/packaging/windows/quillmora.nsi"
    COMMAND_ERROR_IS_FATAL ANY)
file(SIZE "${output}" setup_size)
list(LENGTH files count)
message(STATUS "Installed folder: ${count} files, ${size} bytes (${size_kb} KiB)")
message(STATUS "Installer: ${output}, ${setup_size} bytes")
