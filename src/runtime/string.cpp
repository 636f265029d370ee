// The C string functions that the launcher and its compiler runtime call.
#include <string.h>

extern "C" size_t strlen(const char* s)
{
    const char* p = s;
    while (*p)
        p++;
    return (size_t)(p - s);
}

// The terminator counts as part of the string: strchr(s, 0) is its end.
extern "C" char* strchr(const char* s, int c)
{
    for (;; s++) {
        if (*s == (char)c)
            return const_cast<char*>(s);
        if (!*s)
            return NULL;
    }
}

extern "C" int strcmp(const char* a, const char* b)
{
    while (*a && *a == *b) {
        a++;
        b++;
    }
    return (unsigned char)*a - (unsigned char)*b;
}

extern "C" char* strstr(const char* s, const char* word)
{
    for (;; s++) {
        size_t i = 0;
        while (word[i] && s[i] == word[i])
            i++;
        if (!word[i])
            return const_cast<char*>(s);
        if (!*s)
            return NULL;
    }
}

extern "C" size_t strspn(const char* s, const char* accept)
{
    size_t n = 0;
    while (s[n] && strchr(accept, s[n]))
        n++;
    return n;
}

// Each set holds its terminator, so the scan also stops at the end of s.
extern "C" size_t strcspn(const char* s, const char* reject)
{
    size_t n = 0;
    while (!strchr(reject, s[n]))
        n++;
    return n;
}

// Copies at most n characters and fills the rest of the n with zeros; no
// terminator when the source has n characters or more.
extern "C" char* strncpy(char* dest, const char* src, size_t n)
{
    char* p = dest;
    for (; n && *src; n--)
        *p++ = *src++;
    for (; n; n--)
        *p++ = '\0';
    return dest;
}

// Appends at most n characters, and always a terminator.
extern "C" char* strncat(char* dest, const char* src, size_t n)
{
    char* p = dest + strlen(dest);
    for (; n && *src; n--)
        *p++ = *src++;
    *p = '\0';
    return dest;
}
