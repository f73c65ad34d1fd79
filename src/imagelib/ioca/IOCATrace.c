/* The library trace: lines appended to the current handle's list. */
#include "oiocaInternal.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int g_traceOn;
static IOCATrace* g_current;
static int g_level = 1;

void qelIOCATrace_select(IOCAHandle* handle, const char* entry)
{
    g_current = handle->trace;
    g_traceOn = handle->trace != NULL;
    g_level = 1;
    if (g_traceOn && entry)
        oioca_trace(entry);
}

void qelIOCATrace_unselect(void) { g_current = NULL; }

void qelIOCATrace_setLevel(int level) { g_level = level; }

int qelIOCATrace_isOn(void) { return g_traceOn; }

void oioca_trace(const char* text)
{
    if (!g_current || !text)
        return;
    int tabs = g_level == 1 ? 1 : g_level == 2 ? 2 : 3;
    size_t n = strlen(text);
    IOCATraceLine* line = malloc(sizeof *line);
    char* copy = malloc(n + (size_t)tabs + 1);
    if (!line || !copy) {
        free(line);
        free(copy);
        return;
    }
    memset(copy, '\t', (size_t)tabs);
    memcpy(copy + tabs, text, n + 1);
    line->text = copy;
    line->next = NULL;
    if (g_current->tail)
        g_current->tail->next = line;
    else
        g_current->head = line;
    g_current->tail = line;
}

void qelIOCATrace_printf(const char* format, ...)
{
    if (!g_traceOn || !g_current)
        return;
    char text[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    oioca_trace(text);
}

void qelIOCATrace_free(IOCATrace* trace)
{
    if (!trace)
        return;
    for (IOCATraceLine* line = trace->head; line;) {
        IOCATraceLine* next = line->next;
        free(line->text);
        free(line);
        line = next;
    }
    if (g_current == trace)
        g_current = NULL;
    free(trace);
}
