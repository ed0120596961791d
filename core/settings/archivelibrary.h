#pragma once

#include <archive.h>
#include <archive_entry.h>

class QString;

// The functions of libarchive that lesson files use.
#define QUIZ_ARCHIVE_FUNCTIONS(X)                                                                  \
    X(archive_error_string)                                                                        \
    X(archive_entry_filetype)                                                                      \
    X(archive_entry_free)                                                                          \
    X(archive_entry_hardlink)                                                                      \
    X(archive_entry_new)                                                                           \
    X(archive_entry_pathname_utf8)                                                                 \
    X(archive_entry_set_filetype)                                                                  \
    X(archive_entry_set_mtime)                                                                     \
    X(archive_entry_set_perm)                                                                      \
    X(archive_entry_set_size)                                                                      \
    X(archive_entry_symlink)                                                                       \
    X(archive_entry_update_pathname_utf8)                                                          \
    X(archive_read_data)                                                                           \
    X(archive_read_free)                                                                           \
    X(archive_read_new)                                                                            \
    X(archive_read_next_header)                                                                    \
    X(archive_read_open_filename)                                                                  \
    X(archive_read_support_format_zip)                                                             \
    X(archive_write_close)                                                                         \
    X(archive_write_data)                                                                          \
    X(archive_write_finish_entry)                                                                  \
    X(archive_write_free)                                                                          \
    X(archive_write_header)                                                                        \
    X(archive_write_new)                                                                           \
    X(archive_write_open_fd)                                                                       \
    X(archive_write_set_format_option)                                                             \
    X(archive_write_set_format_zip)                                                                \
    X(archive_write_zip_set_compression_deflate)                                                   \
    X(archive_write_zip_set_compression_store)

/// libarchive, loaded the first time a lesson file is written or read rather
/// than with the window: it brings libraries of its own (an XML parser among
/// them) that would weigh on every start of the quiz for a step a teacher
/// takes now and then.
struct ArchiveLibrary
{
#define QUIZ_ARCHIVE_MEMBER(name) decltype(&::name) name = nullptr;
    QUIZ_ARCHIVE_FUNCTIONS(QUIZ_ARCHIVE_MEMBER)
#undef QUIZ_ARCHIVE_MEMBER

    /// The library with every function found, or null and the reason, in
    /// Arabic, where it is missing. Loaded once; safe from any thread.
    static const ArchiveLibrary *load(QString *error);
};
