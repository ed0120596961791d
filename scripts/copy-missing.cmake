# Copies every file below SRC to DST unless it exists there already, so that
# a teacher's settings and clips in DST survive. The help page is a program
# file, not a setting: it is replaced whenever the source has a newer one.
file(GLOB_RECURSE files RELATIVE ${SRC} ${SRC}/*)
foreach(f ${files})
    if(f STREQUAL "help.htm")
        file(COPY_FILE ${SRC}/${f} ${DST}/${f} ONLY_IF_DIFFERENT)
    elseif(NOT EXISTS ${DST}/${f})
        get_filename_component(dir ${DST}/${f} DIRECTORY)
        file(MAKE_DIRECTORY ${dir})
        file(COPY ${SRC}/${f} DESTINATION ${dir})
    endif()
endforeach()
