/* Internal records of the annotation table and the outline tree. */
#ifndef OPDF_ANNOTATIONS_H
#define OPDF_ANNOTATIONS_H

#include "opdfInternal.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Annotation kinds. */
enum {
    OPDF_ANNOT_TEXT = 0,
    OPDF_ANNOT_URI = 1,
    OPDF_ANNOT_GOTO = 2,
    OPDF_ANNOT_ACTION = 3,
    OPDF_ANNOT_BUTTON = 4,
    OPDF_ANNOT_URI_BUTTON = 5,
    OPDF_ANNOT_GOTO_BUTTON = 6
};

/* ReadOnly: a read-only button without JavaScript. */
#define OPDF_ANNOT_READONLY 0x40

typedef struct PDFWidgetEntry {
    int32_t appearanceNumber; /* -1 none */
    char* iconPath;
    int32_t iconFileType;
    int32_t focusNumber; /* JavaScript actions, -1 none */
    int32_t blurNumber;
    int32_t highlightColor; /* packed RGB, red in bits 0-7; -1 none */
} PDFWidgetEntry;

typedef struct PDFAnnotationEntry {
    int32_t objectNumber;
    int32_t kind;
    int32_t page; /* GoTo target; -1 otherwise */
    int32_t flags;
    float x1, y1, x2, y2;
    float r, g, b;
    char* border;
    char* borderStyle;
    unsigned char* text; /* contents, URI, destination text or action body */
    int32_t textLength;
    unsigned char* title; /* text notes */
    int32_t titleLength;
    PDFWidgetEntry* widget;
} PDFAnnotationEntry;

struct PDFOutlineEntry {
    int32_t objectNumber;
    int32_t count;
    int32_t page; /* -1 for an action entry */
    int32_t open;
    char* target; /* destination text or action body */
    unsigned char* title;
    int32_t titleLength;
    struct PDFOutlineEntry* parent;
    struct PDFOutlineEntry* previous;
    struct PDFOutlineEntry* next;
    struct PDFOutlineEntry* first;
    struct PDFOutlineEntry* last;
};

/* Destination text of a kind (1 XYZ, 2 Fit, 3 FitH, ...); a new text. */
char* _opdf_makeDestination(int kind, float p1, float p2, float p3, float p4);

/* Width of the border text: its third word, 1 when absent or not numeric. */
float _opdf_borderWidth(const PDFAnnotationEntry* a);

int _opdf_numberAnnotations(PDFDocContext* ctx, int next);
void _opdf_writeAnnotations(PDFDocContext* ctx);
void _opdf_freeAnnotations(PDFDocContext* ctx);
/* Object number of an annotation row, 0 for none. */
int _opdf_annotationNumber(PDFDocContext* ctx, int row);

int _opdf_numberOutlines(PDFDocContext* ctx, int next);
void _opdf_WriteOutlinesRoot(PDFDocContext* ctx);
void _opdf_writeOutlines(PDFDocContext* ctx);
void _opdf_freeOutlines(PDFDocContext* ctx);

/* Object number of an initialised page, 0 otherwise. */
int _opdf_pageObjectNumber(PDFDocContext* ctx, int page);
/* Whether the page has been initialised. */
int _opdf_pageExists(PDFDocContext* ctx, int page);
/* A string of n bytes through the string writer; an empty one too. */
void _opdf_putStringOrEmpty(PDFDocContext* ctx, const unsigned char* bytes, int n,
                            int objectNumber);
/* The caller's title or contents as stored bytes: the bytes the hexadecimal
   text stands for in hexadecimal-string mode, else the text itself. */
unsigned char* _opdf_storeUserText(PDFDocContext* ctx, const char* text, int32_t* length);

#ifdef __cplusplus
}
#endif

#endif
