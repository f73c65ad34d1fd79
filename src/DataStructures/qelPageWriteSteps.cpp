#include "qelPageWriteSteps.h"

#include "qelGlobalDSPool.h"
#include "qelGraphicObject.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelMedia.h"
#include "qelMessageOutput.h"
#include "qelNOP.h"
#include "qelPage.h"
#include "qelPageCoordinateTransformer.h"
#include "qelPoolAccess.h"
#include "qelResPSEG.h"
#include "qelResourceReference.h"
#include "qelUtils.h"
#include "qelVisitor.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace
{
using qelPoolAccess::options;

void fixIncludes(qelList* references, qelMedia* media, bool segmentResolution)
{
    for (qelListNode* n = references ? references->getHead() : nullptr; n; n = n->next) {
        auto* ref = static_cast<qelResourceReference*>(n->item);
        qelRes* res = ref ? ref->getResource() : nullptr;
        if (!res)
            continue;
        if (segmentResolution && res->getType() == qelRes::TYPE_PAGE_SEGMENT)
            if (auto* segment = dynamic_cast<qelResPSEG*>(res))
                segment->setResolution(media->getResolution());
        res->fixAbsPosition();
    }
}
}

void qelPageWriteSteps::trace(const char* line)
{
    qelIni* ini = options();
    if (ini && ini->isDevTestLevel(0x1))
        qelMessageOutput::write(line);
}

void qelPageWriteSteps::writeNops(qelPage* page, qelVisitor* visitor, bool own)
{
    // The page iterates the records before it first, then its own.
    std::vector<qelNOP*> records;
    for (qelNOP* nop = page->getFirstNOP(); nop; nop = page->getNextNOP()) {
        const bool isOwn = nop->getOwnerKind() == qelNOP::OWNER_PAGE && nop->getOwner() == page;
        if (isOwn == own)
            records.push_back(nop);
    }
    for (qelNOP* nop : records)
        visitor->writeNOP(nop, true);
}

void qelPageWriteSteps::writeReferences(qelList* references, qelMedia* media, qelVisitor* visitor, bool medium)
{
    for (qelListNode* n = references ? references->getHead() : nullptr; n; n = n->next) {
        auto* ref = static_cast<qelResourceReference*>(n->item);
        if (!ref)
            continue;
        ref->setIncludingMedia(media);
        ref->write(visitor, medium);
        ref->setIncludingMedia(nullptr);
        visitor->setWriteFlags(WRITE_FLAGS);
    }
}

void qelPageWriteSteps::writeObjects(qelList* objects, qelVisitor* visitor)
{
    for (qelListNode* n = objects ? objects->getHead() : nullptr; n; n = n->next)
        if (auto* object = static_cast<qelGraphicObject*>(n->item))
            object->write(visitor);
}

void qelPageWriteSteps::fixPositions(qelMedia* media, bool mediumOverlays)
{
    fixIncludes(media->getAddedIncludes(), media, false);
    if (mediumOverlays)
        fixIncludes(media->getMediumOverlays(), media, false);
    fixIncludes(media->getResourceReferences(), media, true);
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    if (qelPageCoordinateTransformer* t = pool ? pool->getPageCoordinateTransformer() : nullptr) {
        t->setAxisMode(2);
        t->setPageSize(static_cast<uint16_t>(media->getWidth()), static_cast<uint16_t>(media->getHeight()));
        t->setResolution(media->getResolution());
    }
    qelList* objects = media->getObjectList();
    for (qelListNode* n = objects ? objects->getHead() : nullptr; n; n = n->next) {
        auto* object = static_cast<qelGraphicObject*>(n->item);
        if (!object)
            continue;
        object->setPlacement(1);
        object->fixAbsPosition();
    }
}

void qelPageWriteSteps::keepOutput(qelPage* page, qelVisitor* visitor, bool fileSize)
{
    qelIni* ini = options();
    if (!ini || !ini->isPageOutput())
        return;
    if (ini->isMemoryOutputStream()) {
        auto* buffer = static_cast<unsigned char*>(const_cast<void*>(visitor->getOutputBuffer()));
        const int length = visitor->getOutputBufferSize();
        if (buffer != page->getOutputBuffer()) {
            std::free(page->getOutputBuffer());
            page->setOutputBuffer(buffer);
        }
        page->setOutputBufferLength(length);
        // The page frees the buffer from now on.
        visitor->releaseOutputBuffer();
        return;
    }
    if (!fileSize)
        return;
    std::string path = ini->getOutputFilePath() ? ini->getOutputFilePath() : "";
    path += page->getOutputFilename() ? page->getOutputFilename() : "";
    const long size = qelUtils::getFileSize(path.c_str());
    page->setOutputSize(size > 0 ? static_cast<int32_t>(size) : 0);
}
