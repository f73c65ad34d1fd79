#include "qelBarcodeObject.h"

#include "qelBarcodeSymbol.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelString.h"
#include "qelVisitor.h"

qelBarcodeObject::qelBarcodeObject() = default;

qelBarcodeObject::~qelBarcodeObject()
{
    delete m_name;
    qelList::destroy(m_symbols);
}

const char* qelBarcodeObject::getTypeName(uint32_t type)
{
    switch (type) {
    case 1: return "Code 39 (3-of-9 Code), AIM USS-39";
    case 2: return "MSI (modified Plessey code)";
    case 3: return "UPC/CGPC Version A";
    case 5: return "UPC/CGPC Version E";
    case 6: return "UPC Two-digit Supplemental (Periodicals)";
    case 7: return "UPC Five-digit Supplemental (Paperbacks)";
    case 8: return "EAN-8 (includes JAN-short)";
    case 9: return "EAN-13 (includes JAN-standard)";
    case 10: return "Industrial 2-of-5";
    case 11: return "Matrix 2-of-5";
    case 12: return "Interleaved 2-of-5, AIM USS-I 2/5";
    case 13: return "Codabar 2-of-7, AIM USS-Codabar";
    case 17: return "Code 128, AIM USS-128";
    case 22: return "EAN Two-digit Supplemental";
    case 23: return "EAN Five-digit Supplemental";
    case 24: return "POSTNET";
    case 26: return "RM4SCC";
    case 27: return "Japan Postal Bar Code";
    case 28: return "2D Data Matrix";
    case 29: return "2D MaxiCode";
    case 30: return "2D PDF417";
    case 31: return "Australia Post Bar Code";
    case 32: return "2D QR Code";
    case 33: return "Code 93";
    case 34: return "USPS Four-State";
    default: return "Invalid Barcode Type";
    }
}

void qelBarcodeObject::setName(const char* name)
{
    delete m_name;
    m_name = name ? new qelString(name) : nullptr;
}

const char* qelBarcodeObject::getName() const
{
    return m_name ? m_name->getBuffer() : nullptr;
}

void qelBarcodeObject::addData(qelBarcodeSymbol* symbol)
{
    if (!m_symbols)
        m_symbols = new qelList(&qelList::deleteAs<qelBarcodeSymbol>);
    m_symbols->append(symbol);
}

void qelBarcodeObject::prepareSymbols()
{
    if (m_symbols) {
        for (qelListNode* node = m_symbols->getHead(); node; node = node->next)
            static_cast<qelBarcodeSymbol*>(node->item)->draw(this);
    }
    m_symbolsPrepared = 1;
}

void qelBarcodeObject::write(qelVisitor* visitor)
{
    if (!m_symbols)
        return;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    if (m_barcodeType != TYPE_CODE39 && m_barcodeType != TYPE_CODE128 && m_barcodeType != TYPE_DATA_MATRIX) {
        if (log && (log->m_levelMask & 0x10F))
            log->printLine("Warning! Barcode Type: 0x%X (%s) not supported", m_barcodeType, getTypeName());
        qelIni* ini = pool ? pool->getIni() : nullptr;
        if (!ini || !ini->isQuietMode())
            qelMessageOutput::printf("Warning! Barcode Type: 0x%X (%s) not supported\n", m_barcodeType,
                                     getTypeName());
        return;
    }
    if (!m_symbolsPrepared)
        prepareSymbols();
    if (visitor)
        visitor->writeBarcodeObject(this);
    if (log && (log->m_levelMask & 0x10F))
        log->printLine("\n==>EBC Name=%s", getName() ? getName() : "");
}
