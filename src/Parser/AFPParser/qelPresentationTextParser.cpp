#include "qelPresentationTextParser.h"

#include "qelCodePage.h"
#include "qelControlSequenceRecord.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelInitialTextConditions.h"
#include "qelLineObject.h"
#include "qelLogStream.h"
#include "qelMappedFontInfo.h"
#include "qelMappedRes.h"
#include "qelMedia.h"
#include "qelMessageOutput.h"
#include "qelNOP.h"
#include "qelNOPList.h"
#include "qelNOPRecord.h"
#include "qelPoint.h"
#include "qelPoolAccess.h"
#include "qelSFIBlock.h"
#include "qelSFIData.h"
#include "qelTextObject.h"
#include "qelTripletParser.h"
#include "qelUtils.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

const int kFreeTextRun = 253;

using qelPoolAccess::options;
using qelPoolAccess::quiet;

} // namespace

qelPresentationTextParser::qelPresentationTextParser() : m_record(new qelControlSequenceRecord())
{
    m_colorValue = 0;
}

qelPresentationTextParser::~qelPresentationTextParser()
{
    delete m_pending;
    delete m_record;
}

bool qelPresentationTextParser::logs(unsigned int bits) const
{
    return m_log && m_log->anyOf(bits);
}

void qelPresentationTextParser::clearMoves()
{
    m_absoluteInlineMoved = 0;
    m_absoluteBaselineMoved = 0;
    m_relativeInlineMoved = 0;
    m_relativeBaselineMoved = 0;
    m_relativeInline = 0;
    m_relativeBaseline = 0;
}

void qelPresentationTextParser::setSuppressionList(const uint8_t* ids, int count)
{
    if (!ids || count < 0)
        count = 0;
    if (count > 8)
        count = 8;
    m_suppressionCount = count;
    if (count > 0)
        std::memcpy(m_suppressionIds, ids, static_cast<size_t>(count));
}

void qelPresentationTextParser::reset()
{
    m_media = nullptr;
    m_inlinePosition = 0;
    m_baselinePosition = 0;
    m_baselineTracker = 0;
    m_relativeInline = 0;
    m_relativeBaseline = 0;
    m_absoluteInlineMoved = 1;
    m_absoluteBaselineMoved = 1;
    m_relativeInlineMoved = 0;
    m_relativeBaselineMoved = 0;
    m_inlineMargin = 0;
    m_baselineIncrement = 0;
    m_interCharacterAdjustment = 0;
    m_interCharacterDirection = 0;
    m_variableSpaceIncrement = 0;
    m_iAxisDegrees = 0;
    m_iAxisMinutes = 0;
    m_iAxisWord = 0;
    m_bAxisDegrees = 90;
    m_bAxisMinutes = 0;
    m_bAxisWord = 90;
    m_textColor = 0xFFFF;
    m_colorSpace = 5;
    m_underscore = 0;
    m_overstrike = 0;
    m_overstrikeCharacter = 0;
    m_fontLocalId = 0;
    m_iRuleLength = 0;
    m_iRuleWidth = 0;
    m_bRuleLength = 0;
    m_bRuleWidth = 0;
    m_activeSuppressionId = -1;
    m_lastEndSuppressionId = -1;
    m_suppressed = 0;
    // No medium map carries text suppression ids to this parser yet.
    m_suppressionCount = 0;
    delete m_pending;
    m_pending = nullptr;
    m_record->clear();
    m_freeText = 0;
    m_lastTextObject = nullptr;
}

void qelPresentationTextParser::applyInitialTextConditions(const qelInitialTextConditions* c)
{
    if (!c)
        return;
    m_textColor = c->textColor;
    m_iAxisWord = static_cast<uint16_t>(c->iAxisWord);
    m_bAxisWord = static_cast<uint16_t>(c->bAxisWord);
    m_iAxisDegrees = c->iAxisDegrees;
    m_iAxisMinutes = c->iAxisMinutes;
    m_bAxisDegrees = c->bAxisDegrees;
    m_bAxisMinutes = c->bAxisMinutes;
    m_baselineIncrement = c->baselineIncrement;
    m_inlinePosition = c->inlinePosition;
    m_baselinePosition = c->baselinePosition;
    m_baselineTracker = c->baselinePosition;
    m_inlineMargin = c->inlineMargin;
    m_interCharacterAdjustment = c->interCharacterAdjustment;
    m_colorSpace = c->colorSpace;
    if (m_media)
        m_media->selectFont(c->fontLocalId);
}

void qelPresentationTextParser::parse(qelSFIBlock* field, qelMedia* media, const qelInitialTextConditions* conditions)
{
    reset();
    m_currentSF = field;
    m_media = media;
    if (conditions)
        applyInitialTextConditions(conditions);
    beginPresentationText();
    bool ended = false;
    while (!ended) {
        // Outside the per-field catch: the end of a memory input ends the
        // object and reaches the caller.
        qelSFIBlock* next = readNextSF();
        try {
            switch (next->getId()) {
            case 0xA99B:
                endPresentationText();
                ended = true;
                break;
            case 0xEE9B:
                presentationTextData();
                break;
            default:
                reportUnexpectedSF(next->getId());
                break;
            }
        } catch (qelException* e) {
            if (e->getId() != qelMsg::I199)
                throw;
            delete e;
        }
    }
    delete m_pending;
    m_pending = nullptr;
}

void qelPresentationTextParser::beginPresentationText()
{
    if (!m_currentSF)
        return;
    readBeginEnd("BPT", "Begin Presentation Text", QEL_TRIPLET_CGCSGID | QEL_TRIPLET_FULLY_QUALIFIED_NAME | QEL_TRIPLET_TIME_STAMP | QEL_TRIPLET_COMMENT);
}

void qelPresentationTextParser::endPresentationText()
{
    if (!m_currentSF)
        return;
    readBeginEnd("EPT", "End Presentation Text", QEL_TRIPLET_FULLY_QUALIFIED_NAME);
}

void qelPresentationTextParser::processNOP(qelNOPRecord** out)
{
    qelNOPRecord* taken = nullptr;
    qelAFPParser::processNOP(&taken);
    std::unique_ptr<qelNOPRecord> record(taken);
    if (out) {
        *out = record.release();
        return;
    }
    if (!record || !record->text)
        return;
    std::unique_ptr<qelNOP> nop(new qelNOP(record->text));
    if (record->raw && record->length > 0) {
        nop->setEBCDICValue(record->raw, record->length);
        record->raw = nullptr;
    }
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    if (pool)
        pool->getNOPList()->addNOP(nop.release());
}

// ---- the reader of text fields

void qelPresentationTextParser::readIntroducer(qelControlSequenceRecord* record)
{
    if (m_currentSF->getRemainingLength() > 0) {
        record->setLength(static_cast<uint8_t>(m_currentSF->readByte()));
        record->setGathered(static_cast<uint8_t>(record->getGathered() + 1));
    }
    if (m_currentSF->getRemainingLength() > 0) {
        record->setFunctionType(static_cast<uint8_t>(m_currentSF->readByte()));
        record->setGathered(static_cast<uint8_t>(record->getGathered() + 1));
    }
}

void qelPresentationTextParser::takeData(qelControlSequenceRecord* record)
{
    int want = record->getLength() - 2;
    if (want <= 0)
        return;
    int have = m_currentSF->getRemainingLength();
    int n = want < have ? want : have;
    if (n <= 0)
        return;
    uint8_t* bytes = new uint8_t[static_cast<size_t>(n)];
    m_currentSF->readBytes(bytes, n);
    record->setData(bytes, static_cast<uint8_t>(n));
    record->setGathered(static_cast<uint8_t>(record->getGathered() + n));
}

void qelPresentationTextParser::continuePending()
{
    std::unique_ptr<qelControlSequenceRecord> record(m_pending);
    m_pending = nullptr;
    const bool log = logs(QEL_LOG_LEVEL2);
    auto unchained = [&]() {
        if (log)
            m_log->printLine("Unchained control sequence introducer (%02X%02X)", 0x2B, 0xD3);
        record->setGathered(0);
        record->setLength(0);
        record->setFunctionType(0);
        readIntroducer(record.get());
    };
    int gathered = record->getGathered();
    if (gathered == 1) {
        int t = m_currentSF->readByte();
        if (record->getLength() == 0x2B && t == 0xD3) {
            unchained();
        } else {
            record->setFunctionType(static_cast<uint8_t>(t));
            record->setGathered(2);
        }
        if (record->getGathered() < 2)
            return;
        if (record->getLength() < 2)
            return;
        takeData(record.get());
    } else if (gathered == 2) {
        if (record->getLength() == 0x2B && record->getFunctionType() == 0xD3) {
            unchained();
            if (record->getGathered() < 2)
                return;
        }
        // A length byte below 2 cannot be completed: drop without data.
        if (record->getLength() < 2)
            return;
        takeData(record.get());
    } else {
        int k = record->getLength() - gathered;
        int have = m_currentSF->getRemainingLength();
        int m = k < have ? k : have;
        if (m <= 0)
            return;
        int old = gathered - 2;
        int total = record->getLength() - 2;
        if (old < 0 || old > record->getDataLength() || old + m > total)
            return;
        uint8_t* bytes = new uint8_t[static_cast<size_t>(total)]();
        if (old > 0)
            std::memcpy(bytes, record->getData(), static_cast<size_t>(old));
        m_currentSF->readBytes(bytes + old, m);
        record->setData(bytes, static_cast<uint8_t>(old + m));
        record->setGathered(static_cast<uint8_t>(gathered + m));
    }
    if (record->getLength() >= 2 && record->isComplete())
        controlSequence(record.get());
}

void qelPresentationTextParser::executeFreeText(const uint8_t* bytes, int count)
{
    qelControlSequenceRecord run;
    run.setFunctionType(0xDA);
    run.setLength(static_cast<uint8_t>(count + 2));
    run.copyData(bytes, static_cast<uint8_t>(count));
    run.setGathered(static_cast<uint8_t>(count + 2));
    m_freeText = 1;
    try {
        controlSequence(&run);
    } catch (...) {
        m_freeText = 0;
        throw;
    }
    m_freeText = 0;
}

void qelPresentationTextParser::presentationTextData()
{
    if (!m_currentSF)
        return;
    if (logs(QEL_LOG_LEVEL1))
        m_log->logStructuredField(getLevel(), static_cast<unsigned int>(m_currentSF->getOffset()),
                                  static_cast<unsigned short>(m_currentSF->getId()), "PTX", "Presentation Text Data",
                                  "");
    if (m_currentSF->getRemainingLength() <= 0) {
        delete m_pending;
        m_pending = nullptr;
        return;
    }
    if (m_pending) {
        continuePending();
        if (m_currentSF->getRemainingLength() <= 0)
            return;
    }
    qelControlSequenceRecord* record = m_record;
    record->clear();
    int n = m_currentSF->getRemainingLength();
    if (n < 2) {
        // A lone byte cannot start a control sequence.
        m_currentSF->skip(n);
        return;
    }
    int a = m_currentSF->readByte();
    int b = m_currentSF->readByte();
    if (a == 0x2B && b == 0xD3) {
        if (logs(QEL_LOG_LEVEL2))
            m_log->printLine("Unchained control sequence introducer (%02X%02X)", 0x2B, 0xD3);
        readIntroducer(record);
    } else {
        if (logs(QEL_LOG_LEVEL2))
            m_log->printLine("Chained control sequence introducer");
        record->setLength(static_cast<uint8_t>(a));
        record->setFunctionType(static_cast<uint8_t>(b));
        record->setGathered(2);
    }
    if (record->getGathered() == 2)
        takeData(record);

    std::vector<uint8_t> text;
    text.reserve(kFreeTextRun);
    while (record->getGathered() >= 2 && record->getLength() >= 2 && record->isComplete()
           && m_currentSF->getRemainingLength() > 0) {
        controlSequence(record);
        const uint8_t t = record->getFunctionType();
        record->clear();
        if (t & 0x01) {
            readIntroducer(record);
        } else {
            text.clear();
            bool stopped = false;
            while (m_currentSF->getRemainingLength() > 0) {
                int c = m_currentSF->readByte();
                if (c == 0x2B) {
                    stopped = true;
                    record->setLength(0x2B);
                    record->setGathered(1);
                    if (m_currentSF->getRemainingLength() > 0) {
                        record->setFunctionType(static_cast<uint8_t>(m_currentSF->readByte()));
                        record->setGathered(2);
                    }
                    break;
                }
                text.push_back(static_cast<uint8_t>(c));
                if (static_cast<int>(text.size()) == kFreeTextRun) {
                    executeFreeText(text.data(), kFreeTextRun);
                    text.clear();
                }
            }
            if (!text.empty()) {
                executeFreeText(text.data(), static_cast<int>(text.size()));
                text.clear();
            }
            if (!stopped) {
                record->setProcessed(true);
                break;
            }
        }
        if (record->getGathered() == 2 && record->getLength() == 0x2B && record->getFunctionType() == 0xD3) {
            record->clear();
            readIntroducer(record);
        }
        if (record->getGathered() == 2 && record->getLength() > 2)
            takeData(record);
    }

    if (record->getGathered() == 0 || record->isProcessed()) {
        record->clear();
        return;
    }
    if (record->getGathered() >= 2 && record->getLength() < 2) {
        // A length byte below 2 can never be completed.
        record->clear();
        return;
    }
    if (record->isComplete()) {
        controlSequence(record);
        record->clear();
        return;
    }
    // Cut off by the end of the field: completed by the next one.
    m_pending = new qelControlSequenceRecord();
    m_pending->setLength(record->getLength());
    m_pending->setFunctionType(record->getFunctionType());
    m_pending->setGathered(record->getGathered());
    m_pending->copyData(record->getData(), record->getDataLength());
    record->clear();
}

// ---- the executor

int qelPresentationTextParser::controlSequence(qelControlSequenceRecord* record)
{
    if (!record)
        return -1;
    const bool log = logs(QEL_LOG_LEVEL3);
    const int type = record->getFunctionType() & 0xFE;
    switch (type) {
    case 0x72: { // OVS
        if (record->getRemaining() >= 1)
            m_overstrike = record->readByte();
        if (record->getRemaining() >= 2)
            m_overstrikeCharacter = record->readUnsignedShort();
        qelIni* ini = options();
        if (ini && ini->getOutputFormat() == QEL_OUT_AFP) {
            if (logs(QEL_LOG_ANY))
                m_log->printLine("Over Strike Value %d", m_overstrike);
        } else if (log) {
            m_log->printLine("Warning! Overstrike: not processed");
        }
        break;
    }
    case 0x74: // STC
        if (record->getRemaining() >= 2) {
            m_textColor = record->readUnsignedShort();
            m_colorSpace = 5;
        }
        record->readByte();
        if (log)
            m_log->printLine("Set Text Color: 0x%x", m_textColor);
        break;
    case 0x76: // USC
        m_underscore = record->readByte();
        if (log)
            m_log->printLine("UnderScore: 0x%x", m_underscore);
        break;
    case 0x78: // TBM
        if (log)
            m_log->printLine("Warning! Temporary Baseline: not processed");
        break;
    case 0x80: // SEC
        setExtendedTextColor(record->getRemaining(), record);
        m_textColor = static_cast<uint32_t>(m_colorValue);
        break;
    case 0xC0: // SIM
        if (record->getRemaining() >= 2)
            m_inlineMargin = record->readUnsignedShort();
        if (log)
            m_log->printLine("Set Inline Margin: %d", m_inlineMargin);
        break;
    case 0xC2: { // SIA
        if (record->getRemaining() >= 2) {
            int32_t value = record->readUnsignedShort();
            uint8_t direction = record->readByte();
            m_interCharacterDirection = direction;
            m_interCharacterAdjustment = direction == 1 ? -value : value;
            if (log)
                m_log->printLine(direction != 0 ? "Set Intercharacter Adjustment: %d (Negative direction)"
                                                : "Set Intercharacter Adjustment: %d (Positive Direction)",
                                 value);
        }
        break;
    }
    case 0xC4: // SVI
        if (record->getRemaining() >= 2)
            m_variableSpaceIncrement = record->readUnsignedShort();
        if (log)
            m_log->printLine("Variable Space Character Increment: %d", m_variableSpaceIncrement);
        break;
    case 0xC6: // AMI
        if (record->getRemaining() >= 2)
            m_inlinePosition = record->readUnsignedShort();
        m_absoluteInlineMoved = 1;
        m_relativeInline = 0;
        m_relativeInlineMoved = 0;
        if (log)
            m_log->printLine("Absolute Move Inline: %d", m_inlinePosition);
        break;
    case 0xC8: { // RMI
        int16_t value = record->getRemaining() >= 2 ? static_cast<int16_t>(record->readUnsignedShort()) : 0;
        m_relativeInline = static_cast<int16_t>(m_relativeInline + value);
        m_relativeInlineMoved = 1;
        if (log)
            m_log->printLine("Relative Move Inline: %d", value);
        break;
    }
    case 0xD0: // SBI
        if (record->getRemaining() >= 2)
            m_baselineIncrement = record->readUnsignedShort();
        if (log)
            m_log->printLine("Set BaseLine Increment: %d ", m_baselineIncrement);
        break;
    case 0xD2: // AMB
        if (record->getRemaining() >= 2) {
            m_baselinePosition = record->readUnsignedShort();
            m_baselineTracker = m_baselinePosition;
        }
        m_absoluteBaselineMoved = 1;
        m_relativeBaseline = 0;
        m_relativeBaselineMoved = 0;
        if (log)
            m_log->printLine("Absolute Move Baseline: %d", m_baselinePosition);
        break;
    case 0xD4: { // RMB
        int16_t value = record->getRemaining() >= 2 ? static_cast<int16_t>(record->readUnsignedShort()) : 0;
        m_relativeBaseline = static_cast<int16_t>(m_relativeBaseline + value);
        m_relativeBaselineMoved = 1;
        m_baselineTracker += value;
        if (log)
            m_log->printLine("Relative Move Baseline: %d", value);
        break;
    }
    case 0xD8: // BLN
        m_baselineTracker += m_baselineIncrement;
        m_baselinePosition = m_baselineTracker;
        m_inlinePosition = m_inlineMargin;
        m_relativeInline = 0;
        m_absoluteInlineMoved = 1;
        m_absoluteBaselineMoved = 1;
        m_relativeInlineMoved = 0;
        m_relativeBaselineMoved = 0;
        if (log)
            m_log->printLine("Begin Line");
        break;
    case 0xDA: // TRN
        if (record->getDataLength() > 0)
            transparentData(record->getData(), record->getDataLength(), m_suppressed, m_relativeInline,
                            m_relativeBaseline);
        break;
    case 0xE4: // DIR
        readRule(record, false);
        break;
    case 0xE6: // DBR
        readRule(record, true);
        break;
    case 0xEE: // RPS
        repeatString(record);
        break;
    case 0xF0: // SCFL
        m_fontLocalId = record->readByte();
        if (m_media)
            m_media->selectFont(m_fontLocalId);
        if (log)
            m_log->printLine("Set coded font Local: %d", m_fontLocalId);
        break;
    case 0xF2: // BSU
        beginSuppression(record);
        break;
    case 0xF4: // ESU
        endSuppression(record);
        break;
    case 0xF6: // STO
        setTextOrientation(record);
        break;
    case 0xF8: // NOP
        if (log)
            m_log->printLine("PTOCA No Operation");
        noOperation(record);
        break;
    default:
        if (logs(QEL_LOG_LEVEL3))
            m_log->printLine("Warning! Unknown Presentation Text attribute: 0x%x", static_cast<unsigned int>(type));
        if (!quiet())
            qelMessageOutput::printf("Warning! Unknown Presentation Text attribute: 0x%x\n",
                                     static_cast<unsigned int>(type));
        break;
    }
    record->setProcessed(true);
    return 0;
}

void qelPresentationTextParser::readRule(qelControlSequenceRecord* record, bool bAxis)
{
    int32_t& length = bAxis ? m_bRuleLength : m_iRuleLength;
    int32_t& width = bAxis ? m_bRuleWidth : m_iRuleWidth;
    if (record->getRemaining() >= 2) {
        length = static_cast<int16_t>(record->readUnsignedShort());
        if (record->getRemaining() >= 2)
            width = static_cast<int16_t>(record->readUnsignedShort());
    }
    int factor = record->readByte();
    if (logs(QEL_LOG_LEVEL3)) {
        if (bAxis) {
            if (length > 32000)
                m_log->printLine("B Axis Rule - Hyper length value: %d", length);
            if (width > 32000)
                m_log->printLine("B Axis Rule - Hyper width value: %d", width);
            m_log->printLine("DRAW B AXIS RULE at (%d, %d)", m_inlinePosition, m_baselinePosition);
            m_log->printLine("Length of B Line: %d", length);
            m_log->printLine("Width of B Line: %d", width);
        } else {
            m_log->printLine("DRAW I AXIS RULE at (%d, %d)", m_inlinePosition, m_baselinePosition);
            m_log->printLine("Length of I Line: %d", length);
            m_log->printLine("Width of I Line: %d", width);
        }
        m_log->printLine("Measurement unit factor: %d", factor);
    }
    drawRule(length, width, m_textColor, bAxis);
}

void qelPresentationTextParser::repeatString(qelControlSequenceRecord* record)
{
    int repeat = record->getRemaining() >= 2 ? record->readUnsignedShort() : 0;
    if (logs(QEL_LOG_LEVEL3))
        m_log->printLine("Repeat Length: %d", repeat);
    int n = record->getRemaining();
    // Nothing to repeat: no run (filling would never end).
    if (repeat <= 0 || n <= 0)
        return;
    std::vector<uint8_t> pattern(static_cast<size_t>(n));
    record->readBytes(pattern.data(), n);
    std::vector<uint8_t> run(static_cast<size_t>(repeat));
    for (int i = 0; i < repeat; ++i)
        run[static_cast<size_t>(i)] = pattern[static_cast<size_t>(i % n)];
    transparentData(run.data(), repeat, m_suppressed, m_relativeInline, m_relativeBaseline);
}

void qelPresentationTextParser::setTextOrientation(qelControlSequenceRecord* record)
{
    if (m_absoluteInlineMoved || m_absoluteBaselineMoved || m_relativeInlineMoved || m_relativeBaselineMoved)
        drawRule(0, 0, m_textColor, true);
    const bool log = logs(QEL_LOG_LEVEL3);
    if (record->getRemaining() < 2) {
        clearMoves();
        return;
    }
    m_iAxisWord = record->readUnsignedShort();
    if (record->getRemaining() >= 2)
        m_bAxisWord = record->readUnsignedShort();
    int32_t i = orientationDegrees(m_iAxisWord);
    int32_t b = orientationDegrees(m_bAxisWord);
    int32_t im = orientationMinutes(m_iAxisWord);
    int32_t bm = orientationMinutes(m_bAxisWord);
    if (log)
        m_log->printLine("Set Text Orientation");
    if (b == i || b == std::abs(i - 360) || i == std::abs(b - 360)) {
        if (log)
            m_log->printLine("Invalid: I-Axis and B-Axis ( %d, %d)Degrees. Set to Default Value (0, 90)", i, b);
        i = 0;
        b = 90;
    }
    auto valid = [](int32_t d) { return d == 0 || d == 90 || d == 180 || d == 270; };
    if (!valid(i)) {
        if (log)
            m_log->printLine("Invalid: I-Axis Degrees: %d --> Set to Default Value 0", i);
        i = 0;
    } else if (log) {
        m_log->printLine("I-Axis Degrees: %d", i);
    }
    if (!valid(b)) {
        if (log)
            m_log->printLine("Invalid: B-Axis Degrees: %d --> Set to Default Value 90", b);
        b = 90;
    } else if (log) {
        m_log->printLine("B-Axis Degrees: %d", b);
    }
    if (im > 59) {
        if (log)
            m_log->printLine("Invalid: I-Axis Minutes: %d --> Set to Default Value 0", im);
        im = 0;
    } else if (log) {
        m_log->printLine("I-Axis Minutes: %d", im);
    }
    if (bm > 59) {
        if (log)
            m_log->printLine("Invalid: B-Axis Minutes: %d --> Set to Default Value 0", bm);
        bm = 0;
    } else if (log) {
        m_log->printLine("B-Axis Minutes: %d", bm);
    }
    m_iAxisDegrees = i;
    m_bAxisDegrees = b;
    m_iAxisMinutes = im;
    m_bAxisMinutes = bm;
    clearMoves();
}

void qelPresentationTextParser::beginSuppression(qelControlSequenceRecord* record)
{
    const bool log = logs(QEL_LOG_LEVEL3);
    if (m_activeSuppressionId != -1) {
        if (log)
            m_log->printLine("Warning! Recursive Begin suppression not allowed 0x%d", record->readByte());
        return;
    }
    if (record->getRemaining() >= 1)
        m_activeSuppressionId = record->readByte();
    if (log)
        m_log->printLine("Begin Suppression: %d", m_activeSuppressionId);
    for (int k = 0; k < m_suppressionCount; ++k)
        if (m_suppressionIds[k] == m_activeSuppressionId)
            m_suppressed = 1;
}

void qelPresentationTextParser::endSuppression(qelControlSequenceRecord* record)
{
    const bool log = logs(QEL_LOG_LEVEL3);
    if (m_activeSuppressionId == -1) {
        if (log)
            m_log->printLine("Warning! Illegal End Suppression 0x%d", record->readByte());
        return;
    }
    if (record->getRemaining() >= 1)
        m_lastEndSuppressionId = record->readByte();
    if (m_lastEndSuppressionId == m_activeSuppressionId) {
        if (log)
            m_log->printLine("End Suppression: %d", m_lastEndSuppressionId);
        m_suppressed = 0;
        m_activeSuppressionId = -1;
    } else if (log) {
        m_log->printLine("Warning! Recursive End suppression not allowed 0x%d", m_lastEndSuppressionId);
    }
}

void qelPresentationTextParser::decodeExtendedColor(qelControlSequenceRecord* record, qelLogStream* log,
                                                    uint32_t& value, int32_t& space)
{
    if (log)
        log->printLine("Set Extended Text Color");
    const int n = record->getRemaining();
    std::vector<uint8_t> bytes(static_cast<size_t>(n));
    for (uint8_t& b : bytes)
        b = record->readByte();
    int32_t current = static_cast<int32_t>(value);
    decodeColorSpecification(bytes.data(), n, true, log, current, space, nullptr);
    value = static_cast<uint32_t>(current);
}

void qelPresentationTextParser::setExtendedTextColor(int, qelControlSequenceRecord* record)
{
    uint32_t value = static_cast<uint32_t>(m_colorValue);
    int32_t space = m_colorSpace;
    decodeExtendedColor(record, (logs(QEL_LOG_LEVEL3)) ? m_log : nullptr, value, space);
    m_colorValue = static_cast<int32_t>(value);
    m_colorSpace = space;
}

void qelPresentationTextParser::noOperation(qelControlSequenceRecord* record)
{
    if (!record) {
        if (logs(QEL_LOG_LEVEL1))
            m_log->printLine("PTOCA NOP: NULL No Operation control sequence to process");
        return;
    }
    int n = record->getRemaining();
    if (n <= 0) {
        if (logs(QEL_LOG_LEVEL2))
            m_log->printLine("PTOCA NOP: no data found");
        return;
    }
    std::unique_ptr<uint8_t[]> raw(new (std::nothrow) uint8_t[static_cast<size_t>(n)]);
    std::unique_ptr<char[]> text(new (std::nothrow) char[static_cast<size_t>(n) + 1]);
    if (!raw || !text)
        throw "Unable to allocate NOP data at qelPresentationTextParser";
    record->readBytes(raw.get(), n);
    std::memcpy(text.get(), raw.get(), static_cast<size_t>(n));
    qelUtils::ebcdicToAscii(reinterpret_cast<unsigned char*>(text.get()), n);
    text[static_cast<size_t>(n)] = 0;
    if (logs(QEL_LOG_LEVEL4)) {
        logBytes(raw.get(), n);
        m_log->printLine("%s", text.get());
    }
    qelIni* ini = options();
    if (ini && ini->getFileCreationMode() == QEL_FCM_DOC_COLD) {
        std::unique_ptr<qelNOP> nop(new qelNOP(text.get()));
        nop->setEBCDICValue(raw.release(), n);
        qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
        if (pool)
            pool->getNOPList()->addNOP(nop.release());
    }
}

// ---- objects

bool qelPresentationTextParser::transparentData(const uint8_t* bytes, int length, uint8_t suppressed,
                                                int16_t relativeInline, int16_t relativeBaseline)
{
    if (!m_media || !bytes || length <= 0)
        return false;
    if (length > 0xFFFF)
        length = 0xFFFF;
    const size_t n = static_cast<size_t>(length);
    std::vector<uint8_t> codePoints(bytes, bytes + n);
    codePoints.push_back(0);
    std::vector<char> text(n + 1, 0);
    qelMappedRes* mapping = m_media->getCurrentFontMapping();
    qelCodePage* codePage = mapping ? mapping->getCodePage() : nullptr;
    if (mapping && codePage) {
        if (codePage->hasByteTable()) {
            // A code point without entry gets the code page's stand-in so
            // that the text is not cut there; a run without any mapped code
            // point has no text.
            const char* def = codePage->getDefaultEntry();
            const char substitute = def && *def ? *def : '?';
            bool any = false;
            for (size_t k = 0; k < n; ++k) {
                const char* entry = codePage->getByteEntry(bytes[k]);
                if (entry && *entry) {
                    text[k] = *entry;
                    any = true;
                } else {
                    text[k] = substitute;
                }
            }
            if (!any)
                std::fill(text.begin(), text.end(), 0);
        }
    } else {
        std::memcpy(text.data(), bytes, n);
        qelUtils::ebcdicToAscii(reinterpret_cast<unsigned char*>(text.data()), length);
        text[n] = 0;
    }

    bool logged = false;
    if (logs(QEL_LOG_LEVEL3)) {
        m_log->printLine(m_freeText ? "Free Transparent Data : %s" : "Transparent Data : %s", text.data());
        logged = true;
    } else if (logs(QEL_LOG_ASCII)) {
        m_log->printLine("%s", text.data());
        logged = true;
    }
    qelIni* ini = options();
    if (logged && ini && ini->isDevTest()) {
        static const char kDigits[] = "0123456789ABCDEF";
        std::string blanks((logs(QEL_LOG_LEVEL3)) ? (m_freeText ? 24 : 19) : 0, ' ');
        size_t shown = std::strlen(text.data());
        std::string high = blanks;
        std::string low = blanks;
        for (size_t k = 0; k < shown; ++k) {
            high += kDigits[bytes[k] >> 4];
            low += kDigits[bytes[k] & 0x0F];
        }
        m_log->printLine("%s", high.c_str());
        m_log->printLine("%s", low.c_str());
    }

    qelTextObject* object = new qelTextObject(qelPoint{}, mapping, codePoints.data(), text[0] ? text.data() : nullptr,
                                              static_cast<uint16_t>(length), static_cast<uint16_t>(m_iAxisDegrees),
                                              static_cast<uint16_t>(m_bAxisDegrees), m_textColor);
    object->setPosition(static_cast<float>(m_inlinePosition), static_cast<float>(m_baselinePosition));
    object->setRelativeInline(relativeInline);
    object->setRelativeBaseline(relativeBaseline);
    object->setAbsoluteInlineFlag(m_absoluteInlineMoved);
    object->setAbsoluteBaselineFlag(m_absoluteBaselineMoved);
    object->setRelativeInlineFlag(m_relativeInlineMoved);
    object->setRelativeBaselineFlag(m_relativeBaselineMoved);
    object->setWordSpacing(static_cast<float>(m_variableSpaceIncrement));
    object->setCharacterSpacing(static_cast<float>(m_interCharacterAdjustment));
    object->setUnderline(m_underscore);
    object->setOverstrike(m_overstrike);
    object->setOverstrikeCharacter(m_overstrikeCharacter);
    object->setInterCharacterDirection(m_interCharacterDirection);
    object->setResolution(m_media->getResolution());
    m_media->addParsedObject(object);
    m_lastTextObject = object;

    object->setSuppressed(suppressed);
    clearMoves();
    object->setColorSpace(m_colorSpace);
    if (mapping) {
        qelMappedFontInfo* info = mapping->getFontInfo();
        if (info) {
            object->setFontName(info->getCodePageName());
            object->setFontWidth(info->getHorizontalSize());
            if (!mapping->getDerivedName())
                object->setFontHeight(info->getVerticalSize());
            object->setCharacterRotation(info->getCharacterRotation());
        }
        object->setFont(mapping->getFont());
    } else {
        object->setLocalFontId(m_fontLocalId);
    }
    object->bindCodePoints();
    return true;
}

bool qelPresentationTextParser::drawRule(int32_t length, int32_t width, uint32_t color, bool bAxis)
{
    if (!m_media)
        return false;
    qelLineObject* line = new qelLineObject();
    line->setColorValue(color);
    line->setColorSpace(m_colorSpace);
    line->setHorizontal(bAxis ? 0 : 1);
    line->setLength(static_cast<float>(length));
    line->setWidth(static_cast<float>(width));
    line->setNegative(length < 0 ? 1 : 0);
    line->setResolution(m_media->getResolution());
    line->setIAxisOrientation(static_cast<uint16_t>(m_iAxisDegrees));
    line->setBAxisOrientation(static_cast<uint16_t>(m_bAxisDegrees));
    line->setAngle(static_cast<float>(360 - m_iAxisDegrees), true);
    line->setPosition(static_cast<float>(m_inlinePosition), static_cast<float>(m_baselinePosition));
    line->setRelativeInline(m_relativeInline);
    line->setRelativeBaseline(m_relativeBaseline);
    line->setAbsoluteInlineFlag(m_absoluteInlineMoved);
    line->setAbsoluteBaselineFlag(m_absoluteBaselineMoved);
    line->setRelativeInlineFlag(m_relativeInlineMoved);
    line->setRelativeBaselineFlag(m_relativeBaselineMoved);
    m_media->addParsedObject(line);
    clearMoves();
    return true;
}

qelPoint* qelPresentationTextParser::getCurrentPosition(qelPoint* point) const
{
    if (point && m_baselinePosition > 0) {
        point->x = static_cast<float>(m_inlinePosition);
        point->y = static_cast<float>(m_baselinePosition);
    }
    return point;
}
