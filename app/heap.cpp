#include "app/heap.h"

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

void configureHeap()
{
#if defined(M_ARENA_MAX)
    mallopt(M_ARENA_MAX, 1);
#endif
#if defined(M_MMAP_THRESHOLD)
    // The clips are held in memory as blocks of a hundred kilobytes and
    // more, read anew at every lesson or medium switch. Left to itself the
    // heap raises its threshold after the first such block is freed and
    // then carves the later ones out of the heap, which they leave with
    // holes that the next clips do not fit: the resident size crept up with
    // every switch. Blocks this large always get pages of their own, which
    // go back to the system when the clip goes.
    mallopt(M_MMAP_THRESHOLD, 64 * 1024);
#endif
}
