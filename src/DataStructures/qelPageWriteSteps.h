#ifndef QEL_PAGE_WRITE_STEPS_H
#define QEL_PAGE_WRITE_STEPS_H

class qelList;
class qelMedia;
class qelPage;
class qelVisitor;

// The steps that the page kinds share when they write themselves.
class qelPageWriteSteps
{
public:
    static const int WRITE_FLAGS = 256;

    // The no-operation records that came before the page (own = false) or
    // the page's own records (own = true), each as writeNOP (record, 1).
    static void writeNops(qelPage* page, qelVisitor* visitor, bool own);
    // Each reference of an include list with the media as including media,
    // followed by setWriteFlags.
    static void writeReferences(qelList* references, qelMedia* media, qelVisitor* visitor, bool medium);
    // Each object's write, in list order.
    static void writeObjects(qelList* objects, qelVisitor* visitor);
    // Makes the positions of the includes and objects absolute.
    static void fixPositions(qelMedia* media, bool mediumOverlays);
    // Keeps the page's output buffer (memory output) or its file size.
    static void keepOutput(qelPage* page, qelVisitor* visitor, bool fileSize);
    // A trace line on the message output when tracing is on.
    static void trace(const char* line);
};

#endif
