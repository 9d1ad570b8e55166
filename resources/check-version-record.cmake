# Compiles the configured dayvane.rc with windres, decompiles the result and
# checks what Windows will read from it: the version record field by field and
# the icon group.
#
#   cmake -DWINDRES=... -DPREPROCESSOR=... -DRC_FILE=.../dayvane.rc
#         -DVERSION=1.2.3.4 -DDESCRIPTION=... -DWORK_DIR=... -P check-version-record.cmake

foreach(var WINDRES PREPROCESSOR RC_FILE VERSION DESCRIPTION WORK_DIR)
    if(NOT DEFINED ${var} OR "${${var}}" MATCHES "-NOTFOUND$")
        message(FATAL_ERROR "${var} is not set or was not found (windres comes with "
            "Debian's binutils-mingw-w64-x86-64)")
    endif()
endforeach()

file(MAKE_DIRECTORY ${WORK_DIR})
set(res ${WORK_DIR}/dayvane.res)
file(REMOVE ${res})

# windres runs a MinGW gcc to preprocess by default, which binutils alone does
# not bring, so the host compiler does it. The icon is found next to the .rc.
execute_process(
    COMMAND ${WINDRES}
        --preprocessor=${PREPROCESSOR}
        --preprocessor-arg=-E --preprocessor-arg=-xc --preprocessor-arg=-DRC_INVOKED
        -i ${RC_FILE} -O res -o ${res}
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "windres could not compile ${RC_FILE}")
endif()
execute_process(
    COMMAND ${WINDRES} -i ${res} -O rc
    OUTPUT_VARIABLE rc
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "windres could not decompile ${res}")
endif()

set(failures "")
function(expect what text)
    string(FIND "${rc}" "${text}" at)
    if(at EQUAL -1)
        string(STRIP "${text}" line)
        set(failures "${failures}\n  ${what}: no line \"${line}\"" PARENT_SCOPE)
    endif()
endfunction()

string(REPLACE "." ";" parts "${VERSION}")
list(LENGTH parts count)
if(NOT count EQUAL 4)
    message(FATAL_ERROR "VERSION must have four components, not \"${VERSION}\"")
endif()
list(JOIN parts ", " numeric)

expect("file version" "\n FILEVERSION ${numeric}\n")
expect("product version" "\n PRODUCTVERSION ${numeric}\n")
expect("operating system (VOS__WINDOWS32)" "\n FILEOS 0x4\n")
expect("file type (VFT_APP)" "\n FILETYPE 0x1\n")
expect("language and code page" "\n    VALUE \"Translation\", 0x409, 1252\n")

# The text from the line that starts a block to the first END below it.
function(section start end out)
    string(FIND "${rc}" "${start}" at)
    if(at EQUAL -1)
        set(${out} "" PARENT_SCOPE)
        return()
    endif()
    string(SUBSTRING "${rc}" ${at} -1 rest)
    string(FIND "${rest}" "${end}" length)
    string(SUBSTRING "${rest}" 0 ${length} text)
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Every string of the U.S. English, Windows-1252 table, and nothing else.
section("BLOCK \"040904E4\"" "\n    END" table)
if(table STREQUAL "")
    string(APPEND failures "\n  no string table \"040904E4\"")
else()
    string(REGEX MATCHALL "VALUE \"[^\"]*\", \"[^\"]*\"" actual "${table}")
    set(expected
        "VALUE \"CompanyName\", \"Ordwyn Systems\""
        "VALUE \"FileDescription\", \"${DESCRIPTION}\""
        "VALUE \"FileVersion\", \"${VERSION}\""
        "VALUE \"InternalName\", \"\""
        "VALUE \"LegalCopyright\", \"Ordwyn Systems\""
        "VALUE \"LegalTrademarks\", \"\""
        "VALUE \"OriginalFilename\", \"\""
        "VALUE \"ProductName\", \"\""
        "VALUE \"ProductVersion\", \"${VERSION}\""
    )
    list(SORT actual)
    list(SORT expected)
    if(NOT actual STREQUAL expected)
        list(JOIN actual "\n    " actual_text)
        list(JOIN expected "\n    " expected_text)
        string(APPEND failures "\n  string table \"040904E4\" holds\n    ${actual_text}\n"
            "  instead of\n    ${expected_text}")
    endif()
endif()

# The group names its images by width and height; windres prints those as octal
# escapes: \020 is 16 and \040 is 32.
section("\"MAINICON\" 14 /* RT_GROUP_ICON */" "\nEND" group)
if(group STREQUAL "")
    string(APPEND failures "\n  no icon group MAINICON")
else()
    string(REGEX MATCHALL "\"\\\\[0-7]+\\\\[0-7]+\\\\000\\\\000\", 1, 32," images "${group}")
    list(SORT images)
    set(expected_images
        "\"\\020\\020\\000\\000\", 1, 32,"
        "\"\\040\\040\\000\\000\", 1, 32,")
    if(NOT images STREQUAL expected_images)
        string(APPEND failures "\n  icon group MAINICON holds ${images} instead of one 16x16 and one 32x32 image")
    endif()
endif()

if(NOT failures STREQUAL "")
    message(FATAL_ERROR "${RC_FILE} is wrong:${failures}\n\nwindres reads it as:\n${rc}")
endif()
