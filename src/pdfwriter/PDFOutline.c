/* The document outline (bookmarks): a tree of entries with their counts. */
#include "opdfAnnotations.h"

#include <stdlib.h>
#include <string.h>

static PDFOutlineEntry* firstEntry(PDFDocContext* ctx) { return (PDFOutlineEntry*)ctx->outlineFirst; }

/* The next entry depth first: children, then the next sibling, then the
   next sibling of the nearest ancestor that has one. */
static PDFOutlineEntry* following(PDFOutlineEntry* e)
{
    if (e->first)
        return e->first;
    while (e && !e->next)
        e = e->parent;
    return e ? e->next : NULL;
}

static void freeEntry(PDFOutlineEntry* e)
{
    free(e->target);
    free(e->title);
    free(e);
}

void _opdf_freeOutlines(PDFDocContext* ctx)
{
    if (!ctx)
        return;
    /* Post-order without recursion: a deep tree needs no stack. */
    PDFOutlineEntry* e = firstEntry(ctx);
    while (e) {
        if (e->first) {
            PDFOutlineEntry* child = e->first;
            e->first = NULL;
            e = child;
            continue;
        }
        PDFOutlineEntry* next = e->next ? e->next : e->parent;
        freeEntry(e);
        e = next;
    }
    ctx->outlineFirst = ctx->outlineLast = NULL;
    ctx->outlineCount = 0;
}

static PDFOutlineEntry* newEntry(PDFDocContext* ctx, int open, int page, char* target,
                                 const char* title)
{
    PDFOutlineEntry* e = (PDFOutlineEntry*)_opdf_checkAlloc(calloc(1, sizeof *e));
    if (!e) {
        free(target);
        return NULL;
    }
    e->open = open;
    e->page = page;
    e->target = target;
    e->title = _opdf_storeUserText(ctx, title ? title : "", &e->titleLength);
    if (!e->target || !e->title) {
        freeEntry(e);
        return NULL;
    }
    return e;
}

/* Links the entry in and counts it. */
static PDFOutlineEntry* linkEntry(PDFDocContext* ctx, PDFOutlineEntry* e, PDFOutlineEntry* reference,
                             int asChild)
{
    if (reference && asChild) {
        e->parent = reference;
        e->previous = reference->last;
        if (reference->last)
            reference->last->next = e;
        else
            reference->first = e;
        reference->last = e;
    } else {
        /* After the reference, or after the last top-level entry. */
        PDFOutlineEntry* after = reference ? reference : (PDFOutlineEntry*)ctx->outlineLast;
        if (after) {
            e->parent = after->parent;
            e->previous = after;
            e->next = after->next;
            if (after->next)
                after->next->previous = e;
            else if (after->parent)
                after->parent->last = e;
            else
                ctx->outlineLast = e;
            after->next = e;
        } else {
            ctx->outlineFirst = ctx->outlineLast = e;
        }
    }
    /* Counts rise up to and including the first closed ancestor. */
    int allOpen = 1;
    for (PDFOutlineEntry* a = e->parent; a; a = a->parent) {
        a->count++;
        if (!a->open) {
            allOpen = 0;
            break;
        }
    }
    if (allOpen)
        ctx->outlineCount++;
    return e;
}

PDFOutlineEntry* opdf_addOutline(PDFDocContext* ctx, PDFOutlineEntry* reference, int asChild,
                                 int open, int page, const char* title, int destinationKind,
                                 float p1, float p2, float p3, float p4)
{
    if (!ctx)
        return NULL;
    if (page < 1 || page > ctx->highestPage || !_opdf_pageExists(ctx, page)) {
        _opdf_error(ctx, 1, OPDF_MODULE, "Page %d has not yet been created for outline (book mark).",
                    page);
        return NULL;
    }
    PDFOutlineEntry* e =
        newEntry(ctx, open, page, _opdf_makeDestination(destinationKind, p1, p2, p3, p4), title);
    return e ? linkEntry(ctx, e, reference, asChild) : NULL;
}

PDFOutlineEntry* opdf_addOutlineAction(PDFDocContext* ctx, PDFOutlineEntry* reference,
                                       int asChild, int open, const char* action,
                                       const char* title)
{
    if (!ctx)
        return NULL;
    PDFOutlineEntry* e = newEntry(ctx, open, -1, _opdf_strdup(action ? action : ""), title);
    return e ? linkEntry(ctx, e, reference, asChild) : NULL;
}

int _opdf_numberOutlines(PDFDocContext* ctx, int next)
{
    for (PDFOutlineEntry* e = firstEntry(ctx); e; e = following(e))
        e->objectNumber = next++;
    return next;
}

void _opdf_WriteOutlinesRoot(PDFDocContext* ctx)
{
    if (ctx->outlineCount <= 0)
        return;
    const PDFOutlineEntry* first = firstEntry(ctx);
    const PDFOutlineEntry* last = (const PDFOutlineEntry*)ctx->outlineLast;
    _opdf_beginObject(ctx, ctx->objectNumbers[OPDF_OBJ_OUTLINES]);
    _opdf_putf(ctx, "<<\n/Type /Outlines\n/Count %d\n", ctx->outlineCount);
    if (first && last) {
        _opdf_putf(ctx, "/First %d 0 R\n", first->objectNumber);
        _opdf_putf(ctx, "/Last %d 0 R\n", last->objectNumber);
    }
    _opdf_putText(ctx, ">>\n");
    _opdf_endObject(ctx);
}

static void _opdf_WriteOutlineEntry(PDFDocContext* ctx, const PDFOutlineEntry* e)
{
    _opdf_beginObject(ctx, e->objectNumber);
    _opdf_putText(ctx, "<<\n");
    _opdf_putf(ctx, "/Parent %d 0 R\n",
               e->parent ? e->parent->objectNumber : ctx->objectNumbers[OPDF_OBJ_OUTLINES]);
    if (e->page == -1)
        _opdf_putf(ctx, "/A <<\n%s\n>>\n", e->target);
    else
        _opdf_putf(ctx, "/Dest [%d 0 R %s]\n", _opdf_pageObjectNumber(ctx, e->page), e->target);
    _opdf_putText(ctx, "/Title ");
    _opdf_putStringOrEmpty(ctx, e->title, e->titleLength, e->objectNumber);
    _opdf_putText(ctx, "\n");
    if (e->next)
        _opdf_putf(ctx, "/Next %d 0 R\n", e->next->objectNumber);
    if (e->previous)
        _opdf_putf(ctx, "/Prev %d 0 R\n", e->previous->objectNumber);
    if (e->first)
        _opdf_putf(ctx, "/First %d 0 R\n", e->first->objectNumber);
    if (e->last)
        _opdf_putf(ctx, "/Last %d 0 R\n", e->last->objectNumber);
    if (e->count != 0)
        _opdf_putf(ctx, e->open ? "/Count %d\n" : "/Count -%d\n", e->count);
    _opdf_putText(ctx, ">>\n");
    _opdf_endObject(ctx);
}

void _opdf_writeOutlines(PDFDocContext* ctx)
{
    for (PDFOutlineEntry* e = firstEntry(ctx); e; e = following(e))
        _opdf_WriteOutlineEntry(ctx, e);
}
