// The C heap, on the process heap: the launcher's blocks are few and small,
// and the platform's heap serves them without a heap of our own.
#include <windows.h>

#include <stdint.h>
#include <stdlib.h>

extern "C" void* malloc(size_t size)
{
    return HeapAlloc(GetProcessHeap(), 0, size);
}

extern "C" void* calloc(size_t count, size_t size)
{
    if (size && count > SIZE_MAX / size)
        return NULL;
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, count * size);
}

// HeapReAlloc takes no null block, and leaves the block as it was when it
// cannot grow it, as realloc must.
extern "C" void* realloc(void* block, size_t size)
{
    return block ? HeapReAlloc(GetProcessHeap(), 0, block, size) : malloc(size);
}

extern "C" void free(void* block)
{
    if (block)
        HeapFree(GetProcessHeap(), 0, block);
}
