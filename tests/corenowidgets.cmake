# Every file of core/ read by the preprocessor against the Qt modules the
# core may use (Core, Gui, Sql, Multimedia, Svg) and nothing else: a Qt Widgets header in any spelling
# (<QWidget>, <QtWidgets/QWidget>, <QtWidgets>, <qwidget.h>) or a ui/ header
# that leads to one is not found, and the check fails naming the file.
# Qt's include root holds every module side by side, so the files are read
# through a copy of that root that links in only the allowed modules.
#
# cmake -DCOMPILER=... -DSOURCE_DIR=... -DQT_ROOT=... -DWORK_DIR=...
#       -DMODULES="QtCore;..." -DEXTRA_INCLUDES="..." [-DFILES=...] -P corenowidgets.cmake
foreach(var COMPILER SOURCE_DIR QT_ROOT WORK_DIR MODULES)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "${var} is not set")
    endif()
endforeach()

set(root ${WORK_DIR}/qt6)
file(REMOVE_RECURSE ${root})
file(MAKE_DIRECTORY ${root})
set(includes -I${SOURCE_DIR} -I${root})
foreach(module ${MODULES})
    file(CREATE_LINK ${QT_ROOT}/${module} ${root}/${module} SYMBOLIC)
    list(APPEND includes -I${root}/${module})
endforeach()
foreach(dir ${EXTRA_INCLUDES})
    list(APPEND includes -I${dir})
endforeach()

if(NOT DEFINED FILES)
    file(GLOB_RECURSE FILES ${SOURCE_DIR}/core/*.h ${SOURCE_DIR}/core/*.cpp)
endif()
list(LENGTH FILES count)
if(count EQUAL 0)
    message(FATAL_ERROR "no files of core/ found under ${SOURCE_DIR}")
endif()
set(failed "")
foreach(file ${FILES})
    execute_process(COMMAND ${COMPILER} -std=c++17 -fPIC -E -x c++ ${includes} ${file} -o /dev/null
                    RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_QUIET)
    if(NOT rc EQUAL 0)
        string(REGEX MATCH "[^\n]*fatal error:[^\n]*" first "${err}")
        if(first STREQUAL "")
            set(first "${err}")
        endif()
        file(RELATIVE_PATH shown ${SOURCE_DIR} ${file})
        list(APPEND failed "${shown}: ${first}")
    endif()
endforeach()
if(failed)
    list(JOIN failed "\n" text)
    message(FATAL_ERROR "files of core/ that reach past the modules ${MODULES}:\n${text}")
endif()
message(STATUS "${count} files of core/ read without Qt Widgets")
