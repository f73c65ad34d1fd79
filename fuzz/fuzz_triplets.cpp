// Feeds arbitrary bytes through the structured-field read loop and hands
// every field to the triplet reader: whole fields, general repeating groups
// and Map Coded Font groups. A report other than the coded ones a damaged
// input may cause is a finding.
#include "FuzzSupport.h"
#include "qelAFPParser.h"
#include "qelMappedFontInfo.h"
#include "qelNOPRecord.h"
#include "qelSFIBlock.h"
#include "qelString.h"
#include "qelTripletParser.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

bool expected(int kind, int id)
{
    switch (kind) {
    case QEL_MSG_INFO:
        return id == 1 || id == 199;
    case QEL_MSG_WARNING:
        return id == 16 || id == 60 || id == 62;
    case QEL_MSG_ERROR:
        return id == 7 || id == 9 || id == 52 || id == 54 || id == 56 || id == 61 || id == 67 || id == 72 ||
               id == 73 || id == 74 || id == 76;
    default:
        return false;
    }
}

// Keeps No Operation texts as the document reader does.
class FuzzParser : public qelAFPParser
{
public:
    void processNOP(qelNOPRecord**) override
    {
        qelNOPRecord* record = nullptr;
        qelAFPParser::processNOP(&record);
        std::unique_ptr<qelNOPRecord> owned(record);
        defineAliasName(record);
    }
};

void readGroups(qelTripletParser* triplets, qelSFIBlock* field, bool fonts)
{
    qelMappedFontInfo font;
    while (field->getRemainingLength() >= 2) {
        int before = field->getRemainingLength();
        int length = static_cast<int>(field->readUShort()) - 2;
        if (fonts)
            triplets->MCF_Triplets(length, field, &font);
        else
            triplets->repeatedTriplets(0x1002, 0xC01, length, field);
        if (field->getRemainingLength() >= before)
            std::abort();
    }
}

void handle(qelTripletParser* triplets, qelSFIBlock* field)
{
    int id = field->getId();
    if (id == 0xAB8A) {
        readGroups(triplets, field, true);
    } else if (id == 0xABD8 || id == 0xABC3) {
        readGroups(triplets, field, false);
    } else {
        uint32_t mandatory = id == 0xA090 ? 0x2002 : 0;
        uint32_t optional = 0xFFFFFFFFu;
        triplets->parse(&mandatory, &optional, field);
    }
    // The reader's names belong to the caller between calls.
    triplets->setFullyQualifiedName(nullptr);
    triplets->setAlternateName(nullptr);
}

void run(const uint8_t* data, size_t size)
{
    qelIOStream input;
    FuzzParser parser;
    qelTripletParser* triplets = parser.getTripletParser();
    if (!lrbfuzz::attachInput(&input, data, size, expected))
        return;
    lrbfuzz::readFields(size, [&] {
        try {
            qelSFIBlock* field = parser.readNextSF(&input);
            try {
                handle(triplets, field);
            } catch (qelException* e) {
                bool ok = expected(e->getKind(), e->getId());
                delete e;
                if (!ok)
                    std::abort();
            }
            return true;
        } catch (qelException* e) {
            return lrbfuzz::readOn(e, expected);
        }
    });
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    return lrbfuzz::initialize();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return lrbfuzz::testOneInput(data, size, [](qelIni* ini) { ini->setQELNOP(true); }, run);
}
