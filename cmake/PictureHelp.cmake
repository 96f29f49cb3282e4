# SPDX-License-Identifier: GPL-3.0-or-later
# A help file of pictures far larger than any page shows (tests/help/damaged/pictures.hhp: one 8000 x 4000
# picture named twenty times, five tall ones, one as wide as a window), its pictures drawn by
# make_help_test_pictures at build time rather than kept among the sources. The tests and the benchmarks
# read it.
#
#   quillmora_picture_help(<target> <folder>)   compiles <folder>/pictures.chm; <target> builds it

function(quillmora_picture_help target folder)
    set(sources pictures.hhp large.html tall.html printed.html)
    list(TRANSFORM sources PREPEND ${PROJECT_SOURCE_DIR}/tests/help/damaged/)
    if(NOT TARGET make_help_test_pictures)
        add_executable(make_help_test_pictures ${PROJECT_SOURCE_DIR}/tests/help/damaged/make_pictures.cpp)
        target_link_libraries(make_help_test_pictures PRIVATE Qt6::Gui)
    endif()
    file(MAKE_DIRECTORY ${folder})
    add_custom_command(
        OUTPUT ${folder}/pictures.chm
        COMMAND ${CMAKE_COMMAND} -E copy ${sources} ${folder}
        COMMAND make_help_test_pictures ${folder}
        COMMAND ${CHMCMD_EXECUTABLE} pictures.hhp
        WORKING_DIRECTORY ${folder}
        DEPENDS ${sources} make_help_test_pictures
        COMMENT "Compiling the help file of large pictures"
        VERBATIM)
    add_custom_target(${target} DEPENDS ${folder}/pictures.chm)
endfunction()
