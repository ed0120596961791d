# Copies every file below SRC to DST unless it exists there already.
file(GLOB_RECURSE files RELATIVE ${SRC} ${SRC}/*)
foreach(f ${files})
    if(NOT EXISTS ${DST}/${f})
        get_filename_component(dir ${DST}/${f} DIRECTORY)
        file(MAKE_DIRECTORY ${dir})
        file(COPY ${SRC}/${f} DESTINATION ${dir})
    endif()
endforeach()
