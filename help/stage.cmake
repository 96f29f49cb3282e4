# SPDX-License-Identifier: GPL-3.0-or-later
# Lays out the help sources in STAGE_DIR for chmcmd: pages, style sheet and pictures copied
# as they are, project, contents and index files converted from UTF-8 to CP932.
# Called with -DSOURCE_DIR= -DSTAGE_DIR= -DPROJECT_FILES=a|b -DCONTENT_FILES=c|d [-DICONV=path]
# [-DGENERATED_DIR= -DGENERATED_FILES=e|f] (files made at build time, copied from GENERATED_DIR)
# [-DSHARED_DIR= -DSHARED_FILES=g|h] (files every language's help takes, copied from SHARED_DIR).

foreach(_var SOURCE_DIR STAGE_DIR PROJECT_FILES CONTENT_FILES)
    if(NOT DEFINED ${_var})
        message(FATAL_ERROR "stage.cmake: ${_var} is not set")
    endif()
endforeach()

string(REPLACE "|" ";" _project_files "${PROJECT_FILES}")
string(REPLACE "|" ";" _content_files "${CONTENT_FILES}")

# Start from an empty folder, so a page dropped from the list or an old KvHelp.chm never
# makes it into the result. The folder itself stays: it is the compiler's working directory.
file(GLOB _old LIST_DIRECTORIES true "${STAGE_DIR}/*")
if(_old)
    file(REMOVE_RECURSE ${_old})
endif()

foreach(_f IN LISTS _content_files)
    get_filename_component(_dir "${STAGE_DIR}/${_f}" DIRECTORY)
    file(MAKE_DIRECTORY "${_dir}")
    file(COPY_FILE "${SOURCE_DIR}/${_f}" "${STAGE_DIR}/${_f}")
endforeach()

if(DEFINED SHARED_FILES AND NOT SHARED_FILES STREQUAL "")
    string(REPLACE "|" ";" _shared_files "${SHARED_FILES}")
    foreach(_f IN LISTS _shared_files)
        file(COPY_FILE "${SHARED_DIR}/${_f}" "${STAGE_DIR}/${_f}")
    endforeach()
endif()

if(DEFINED GENERATED_FILES AND NOT GENERATED_FILES STREQUAL "")
    string(REPLACE "|" ";" _generated_files "${GENERATED_FILES}")
    foreach(_f IN LISTS _generated_files)
        get_filename_component(_dir "${STAGE_DIR}/${_f}" DIRECTORY)
        file(MAKE_DIRECTORY "${_dir}")
        file(COPY_FILE "${GENERATED_DIR}/${_f}" "${STAGE_DIR}/${_f}")
    endforeach()
endif()

foreach(_f IN LISTS _project_files)
    if(ICONV)
        execute_process(
            COMMAND "${ICONV}" -f UTF-8 -t CP932 "${SOURCE_DIR}/${_f}"
            OUTPUT_FILE "${STAGE_DIR}/${_f}"
            RESULT_VARIABLE _rc
            ERROR_VARIABLE _err)
        if(NOT _rc EQUAL 0)
            message(FATAL_ERROR "Cannot convert ${_f} to CP932: ${_err}")
        endif()
    else()
        file(COPY_FILE "${SOURCE_DIR}/${_f}" "${STAGE_DIR}/${_f}")
    endif()
endforeach()
