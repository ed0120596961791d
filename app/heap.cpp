#include "app/heap.h"

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

void configureHeap()
{
#if defined(M_ARENA_MAX)
    mallopt(M_ARENA_MAX, 1);
#endif
}
