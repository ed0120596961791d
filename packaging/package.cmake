# The Debian package (`cpack -G DEB` in the build folder): the same program,
# laid out as the system expects it under /usr.
#
#   /usr/lib/quiz/quiz, quiz-window.so,   the program (its launcher and its
#     help.htm, Data/                     window) with its read-only defaults
#                                         beside it (it finds them from its
#                                         own file's place)
#   /usr/bin/quiz                         a link to the program
#   /usr/share/applications/quiz.desktop  the menu entry
#   /usr/share/icons/hicolor/scalable/apps/quiz.svg
#   /usr/share/metainfo/<id>.metainfo.xml what software centres show of it
#   /usr/share/man/man1/quiz.1.gz         the manual page
#   /usr/share/doc/quiz/copyright,        the copyright (machine-readable)
#     changelog.gz                        and the changelog (Debian's form)
#   /usr/share/lintian/overrides/quiz     why lintian's notes on the help
#                                         page and the defaults do not apply
#
# These rules belong to the component "package" and are left out of a plain
# `cmake --install`, which keeps laying out the self-contained, writable
# program folder. A user's own settings, clips and results live in that
# user's data folder, which the package never touches, so removing or purging
# it leaves them alone.

set(QUIZ_PACKAGE_PREFIX /usr)
set(QUIZ_PACKAGE_DIR lib/quiz)

install(TARGETS quiz RUNTIME DESTINATION ${QUIZ_PACKAGE_DIR}
        COMPONENT package EXCLUDE_FROM_ALL)
install(TARGETS quizwindow LIBRARY DESTINATION ${QUIZ_PACKAGE_DIR}
        COMPONENT package EXCLUDE_FROM_ALL)
install(FILES ${QUIZ_HELP_PAGE} DESTINATION ${QUIZ_PACKAGE_DIR}
        COMPONENT package EXCLUDE_FROM_ALL)
install(DIRECTORY appdir/Data DESTINATION ${QUIZ_PACKAGE_DIR}
        COMPONENT package EXCLUDE_FROM_ALL)
install(FILES packaging/quiz.svg DESTINATION share/icons/hicolor/scalable/apps
        COMPONENT package EXCLUDE_FROM_ALL)

# The menu entry starts the program by its name on the PATH and takes the
# icon from the theme.
set(QUIZ_DIR ${QUIZ_PACKAGE_PREFIX}/${QUIZ_PACKAGE_DIR})
set(QUIZ_EXEC quiz)
set(QUIZ_ICON quiz)
configure_file(packaging/quiz.desktop.in ${CMAKE_BINARY_DIR}/package/quiz.desktop @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/package/quiz.desktop DESTINATION share/applications
        COMPONENT package EXCLUDE_FROM_ALL)

# A lesson handed on as one file (name.lesson.zip) opens the quiz, which
# offers to import it; dpkg's trigger updates the desktop's MIME database.
install(FILES packaging/quiz-lesson.xml DESTINATION share/mime/packages RENAME quiz.xml
        COMPONENT package EXCLUDE_FROM_ALL)

# The software centres' description, under the reverse-domain name of the
# project's address, which also holds the screenshots (docs/ of the source).
set(QUIZ_HOMEPAGE "https://quiz.example/" CACHE STRING "The project's web address, ending in a slash")
set(QUIZ_APPSTREAM_ID example.quiz.kidsquiz)
configure_file(packaging/quiz.metainfo.xml.in ${CMAKE_BINARY_DIR}/package/${QUIZ_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/package/${QUIZ_APPSTREAM_ID}.metainfo.xml DESTINATION share/metainfo
        COMPONENT package EXCLUDE_FROM_ALL)

# The manual page and the changelog, with the version and its day put in,
# compressed as Debian's tools do it: at the highest level and without a
# time stamp, so that the same source makes the same package.
configure_file(packaging/quiz.1.in ${CMAKE_BINARY_DIR}/package/quiz.1 @ONLY)
configure_file(packaging/changelog.in ${CMAKE_BINARY_DIR}/package/changelog @ONLY)
foreach(page quiz.1 changelog)
    execute_process(COMMAND gzip -9nc ${CMAKE_BINARY_DIR}/package/${page}
                    OUTPUT_FILE ${CMAKE_BINARY_DIR}/package/${page}.gz RESULT_VARIABLE gzip_status)
    if(NOT gzip_status EQUAL 0)
        message(FATAL_ERROR "gzip could not compress ${CMAKE_BINARY_DIR}/package/${page}")
    endif()
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/package/quiz.1.gz DESTINATION share/man/man1
        COMPONENT package EXCLUDE_FROM_ALL)
install(FILES packaging/copyright ${CMAKE_BINARY_DIR}/package/changelog.gz DESTINATION share/doc/quiz
        COMPONENT package EXCLUDE_FROM_ALL)

# The few lintian notes that are not faults, each with its reason.
install(FILES packaging/lintian-overrides DESTINATION share/lintian/overrides RENAME quiz
        COMPONENT package EXCLUDE_FROM_ALL)

# A relative link, so that it points into the package wherever it is staged.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/package/bin)
file(CREATE_LINK ../${QUIZ_PACKAGE_DIR}/quiz ${CMAKE_BINARY_DIR}/package/bin/quiz SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/package/bin/quiz DESTINATION bin
        COMPONENT package EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quiz)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quiz maintainers")
set(CPACK_PACKAGE_CONTACT "Quiz maintainers <maintainers@quiz.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "full-screen colours, words and pictures quiz for young children")
set(CPACK_PACKAGE_DESCRIPTION
    "Three coloured shapes, words or pictures, a spoken or filmed question, a click,\n"
    "a right or wrong answer, and the next question: a quiz for children of three\n"
    "to six with an Arabic, right-to-left interface. A teacher or parent sets it up\n"
    "in a hidden options pane (Ctrl+Alt+F1 or Ctrl+Shift+F1), records the clips,\n"
    "keeps named lessons and a table of children with their counts. Each user's\n"
    "settings, clips and results are kept in that user's own data folder.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX ${QUIZ_PACKAGE_PREFIX})
# Only the package's own rules, from this build folder.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};quiz;package;/")
# Stripped as Debian's own packages are (packaging/deb-prepare.cmake), which
# also finds the libraries the program links.
set(CPACK_STRIP_FILES OFF)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/packaging/deb-prepare.cmake)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries the program links come from dpkg-shlibdeps (run by
# packaging/deb-prepare.cmake, not by CPack: CPack's own run also writes
# maintainer scripts that call ldconfig for any library under /usr/lib, and the
# window module there is no library of the system's); what Qt and
# GStreamer load at run time does not show there: the SQLite driver, picture
# formats (SVG, WebP, TIFF...), the Arabic translations of the standard
# dialogs' buttons, the media backend's plugins (wav and avi, their decoders
# and encoders, the sound server's sink and source) and fonts with Arabic
# letters, and the Wayland platform plugin for the desktops that run on
# Wayland, as Debian's default desktop does.
# libarchive (a lesson file exported or imported) and the metafile
# libraries (a wmf or emf picture) are loaded only when first needed, so
# they are not among the libraries the binaries name either.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-wayland, libqt6sql6-sqlite, libqt6svg6, qt6-image-formats-plugins, qt6-translations-l10n, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-plugins-bad, gstreamer1.0-libav, fonts-noto-core, fonts-dejavu-core, libarchive13, libwmf-0.2-7, libemf2svg1")
# The driver for the school's PostgreSQL server, which only some schools use.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse, libqt6sql6-psql")
include(CPack)
