# Run by `cmake --install`: lays out the program folder around the installed
# executable. Program files (the executable, the help page, the icon) are
# replaced on every install; the Data folder holds the teacher's settings,
# lessons and recorded clips, so a default file is copied there only where
# none exists yet, and nothing already there is ever replaced.
#
# Expects QUIZ_SOURCE_DIR (the source tree); CMAKE_INSTALL_PREFIX and DESTDIR
# are those of the install run.

set(prefix "${CMAKE_INSTALL_PREFIX}")
set(root "$ENV{DESTDIR}${prefix}")
set(src "${QUIZ_SOURCE_DIR}/appdir/Data")
set(dst "${root}/Data")

file(MAKE_DIRECTORY "${dst}")
file(GLOB_RECURSE defaults RELATIVE "${src}" "${src}/*")
set(kept 0)
foreach(f IN LISTS defaults)
    if(EXISTS "${dst}/${f}" OR IS_SYMLINK "${dst}/${f}")
        math(EXPR kept "${kept} + 1")
    else()
        get_filename_component(dir "${dst}/${f}" DIRECTORY)
        file(MAKE_DIRECTORY "${dir}")
        message(STATUS "Installing: ${dst}/${f}")
        file(COPY "${src}/${f}" DESTINATION "${dir}")
    endif()
endforeach()
if(kept GREATER 0)
    message(STATUS "Kept ${kept} existing file(s) in ${dst}: the teacher's settings and clips stay")
endif()

# The desktop entry names the installed program by its final place (without
# DESTDIR, which only stages the files).
set(QUIZ_DIR "${prefix}")
set(QUIZ_EXEC "\"${prefix}/quiz\"")
set(QUIZ_ICON "${prefix}/quiz.svg")
configure_file("${QUIZ_SOURCE_DIR}/packaging/quiz.desktop.in" "${root}/quiz.desktop" @ONLY)
message(STATUS "Installing: ${root}/quiz.desktop")
