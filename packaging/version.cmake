# The version and the release day, set once in the top CMakeLists.txt, as
# the files that show them need them: the help page (its version line), and
# the changelog's date in the form Debian's changelog wants (RFC 2822).

execute_process(COMMAND env LC_ALL=C date -u -R -d "${QUIZ_RELEASE_DATE} 12:00:00"
                OUTPUT_VARIABLE QUIZ_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE date_status)
if(NOT date_status EQUAL 0 OR NOT QUIZ_RELEASE_DATE_RFC2822)
    message(FATAL_ERROR "QUIZ_RELEASE_DATE is not a day: ${QUIZ_RELEASE_DATE}")
endif()

# The help page as the program shows it: the page of appdir/ with this
# version in its version line. Written only when it changes, so that a
# configure run does not make the program folder look changed; the page is
# read again whenever it is edited.
set(QUIZ_HELP_PAGE ${CMAKE_BINARY_DIR}/help.htm)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/appdir/help.htm)
file(READ ${CMAKE_SOURCE_DIR}/appdir/help.htm help_page)
set(version_line "(<span id=\"version\"[^>]*>)[^<]*(</span>)")
if(NOT help_page MATCHES "${version_line}")
    message(FATAL_ERROR "appdir/help.htm has no version line (<span id=\"version\">...</span>)")
endif()
string(REGEX REPLACE "${version_line}" "\\1${PROJECT_VERSION}\\2" help_page "${help_page}")
set(old_page "")
if(EXISTS ${QUIZ_HELP_PAGE})
    file(READ ${QUIZ_HELP_PAGE} old_page)
endif()
if(NOT old_page STREQUAL help_page)
    file(WRITE ${QUIZ_HELP_PAGE} "${help_page}")
endif()
