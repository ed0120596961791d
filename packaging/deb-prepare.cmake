# Run by CPack (CPACK_PRE_BUILD_SCRIPTS) on the staged package before it is
# made: strips the program as Debian's own packages are stripped, and adds
# the libraries it links to the package's dependencies.
#
# CPack's strip leaves the .comment and .note sections, which only tell the
# compiler's version; dh_strip's options take them out. CPack's run of
# dpkg-shlibdeps would also write maintainer scripts that call ldconfig, as
# the window module lies under /usr/lib; it is no library of the system's,
# and the package needs no maintainer scripts at all.

set(root "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
if(NOT IS_DIRECTORY "${root}")
    message(FATAL_ERROR "deb-prepare: no staged package in '${root}'")
endif()
find_program(QUIZ_STRIP strip REQUIRED)
find_program(QUIZ_SHLIBDEPS dpkg-shlibdeps REQUIRED)

file(GLOB_RECURSE staged LIST_DIRECTORIES false "${root}/*")
set(binaries)
foreach(f IN LISTS staged)
    if(IS_SYMLINK "${f}")
        continue()
    endif()
    file(READ "${f}" magic LIMIT 4 HEX)
    if(NOT magic STREQUAL "7f454c46")
        continue()
    endif()
    # As dh_strip: a library loses its unneeded symbols too, a program keeps
    # them.
    set(options --remove-section=.comment --remove-section=.note)
    if(f MATCHES "\\.so$")
        list(APPEND options --strip-unneeded)
    endif()
    execute_process(COMMAND ${QUIZ_STRIP} ${options} "${f}" RESULT_VARIABLE status ERROR_VARIABLE err)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "deb-prepare: strip failed on ${f}: ${err}")
    endif()
    list(APPEND binaries "${f}")
endforeach()
if(NOT binaries)
    message(FATAL_ERROR "deb-prepare: the staged package in ${root} holds no program")
endif()

# dpkg-shlibdeps wants to run in a source package's folder.
set(work "${CPACK_TOPLEVEL_DIRECTORY}/shlibdeps")
file(REMOVE_RECURSE "${work}")
file(MAKE_DIRECTORY "${work}/debian")
file(WRITE "${work}/debian/control" "")
execute_process(COMMAND ${QUIZ_SHLIBDEPS} -O ${binaries} WORKING_DIRECTORY "${work}"
                OUTPUT_VARIABLE found ERROR_VARIABLE err RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT found MATCHES "shlibs:Depends=([^\n]+)")
    message(FATAL_ERROR "deb-prepare: dpkg-shlibdeps failed: ${err}")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CMAKE_MATCH_1}, ${CPACK_DEBIAN_PACKAGE_DEPENDS}")
message(STATUS "deb-prepare: stripped ${binaries}; depends on ${CPACK_DEBIAN_PACKAGE_DEPENDS}")
