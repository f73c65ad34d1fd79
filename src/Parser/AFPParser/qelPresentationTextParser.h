#ifndef QEL_PRESENTATION_TEXT_PARSER_H
#define QEL_PRESENTATION_TEXT_PARSER_H

#include "qelAFPParser.h"

#include <cstdint>

class qelControlSequenceRecord;
class qelLogStream;
class qelMedia;
class qelSFIBlock;
class qelTextObject;
struct qelInitialTextConditions;
struct qelPoint;

// Reads one presentation text object (BPT to EPT): cuts the data of its
// text fields into control sequences and free text, keeps the text state
// and turns text runs and rules into objects of the media.
class qelPresentationTextParser : public qelAFPParser
{
public:
    qelPresentationTextParser();
    ~qelPresentationTextParser() override;

    int getParserType() override { return 9; }
    int getLevel() override { return m_level; }
    // NOP fields inside the object always go to the pending NOP list.
    void processNOP(qelNOPRecord** out) override;

    // field is the current BPT; media may be null (then nothing is made).
    void parse(qelSFIBlock* field, qelMedia* media, const qelInitialTextConditions* conditions);
    void reset();
    void applyInitialTextConditions(const qelInitialTextConditions* conditions);
    void beginPresentationText();
    void endPresentationText();
    void presentationTextData();

    // Executes one record: 0, -1 without a record.
    int controlSequence(qelControlSequenceRecord* record);
    // One text run; whether an object was made.
    bool transparentData(const uint8_t* bytes, int length, uint8_t suppressed, int16_t relativeInline,
                         int16_t relativeBaseline);
    // One rule; whether an object was made.
    bool drawRule(int32_t length, int32_t width, uint32_t color, bool bAxis);
    void setExtendedTextColor(int remaining, qelControlSequenceRecord* record);
    void noOperation(qelControlSequenceRecord* record);

    // Writes the current position into point when the baseline is above 0.
    qelPoint* getCurrentPosition(qelPoint* point) const;

    // The extended colour of SEC parameters: sets space (unchanged for an
    // unknown space byte) and value (unchanged when the value bytes are cut
    // short). Logs with mask bit 4 when log is given.
    static void decodeExtendedColor(qelControlSequenceRecord* record, qelLogStream* log, uint32_t& value,
                                    int32_t& space);
    // Degrees and minutes of an orientation word.
    static int32_t orientationDegrees(uint32_t word) { return static_cast<int32_t>((word >> 7) & 0x1FF); }
    static int32_t orientationMinutes(uint32_t word) { return static_cast<int32_t>((word >> 1) & 0x3F); }

    // Text suppression ids of the medium map that governs the page; reset
    // empties the list.
    void setSuppressionList(const uint8_t* ids, int count);

    void setMedia(qelMedia* media) { m_media = media; }
    qelMedia* getMedia() const { return m_media; }
    int32_t getInlinePosition() const { return m_inlinePosition; }
    int32_t getBaselinePosition() const { return m_baselinePosition; }
    int32_t getBaselineTracker() const { return m_baselineTracker; }
    int16_t getRelativeInlineOffset() const { return m_relativeInline; }
    int16_t getRelativeBaselineOffset() const { return m_relativeBaseline; }
    uint8_t getAbsoluteInlineMoved() const { return m_absoluteInlineMoved; }
    uint8_t getAbsoluteBaselineMoved() const { return m_absoluteBaselineMoved; }
    uint8_t getRelativeInlineMoved() const { return m_relativeInlineMoved; }
    uint8_t getRelativeBaselineMoved() const { return m_relativeBaselineMoved; }
    int32_t getInlineMargin() const { return m_inlineMargin; }
    int32_t getBaselineIncrement() const { return m_baselineIncrement; }
    int32_t getInterCharacterAdjustment() const { return m_interCharacterAdjustment; }
    uint8_t getInterCharacterDirection() const { return m_interCharacterDirection; }
    int32_t getVariableSpaceIncrement() const { return m_variableSpaceIncrement; }
    int32_t getIAxisDegrees() const { return m_iAxisDegrees; }
    int32_t getIAxisMinutes() const { return m_iAxisMinutes; }
    int32_t getBAxisDegrees() const { return m_bAxisDegrees; }
    int32_t getBAxisMinutes() const { return m_bAxisMinutes; }
    uint32_t getTextColor() const { return m_textColor; }
    int32_t getTextColorSpace() const { return m_colorSpace; }
    uint8_t getUnderscore() const { return m_underscore; }
    uint8_t getFontLocalId() const { return m_fontLocalId; }
    int32_t getActiveSuppressionId() const { return m_activeSuppressionId; }
    int32_t getLastEndSuppressionId() const { return m_lastEndSuppressionId; }
    uint8_t isSuppressed() const { return m_suppressed; }
    qelTextObject* getLastTextObject() const { return m_lastTextObject; }
    bool hasPendingRecord() const { return m_pending != nullptr; }

private:
    // Whether the log takes one of the level bits.
    bool logs(unsigned int bits) const;
    void clearMoves();
    // Takes up to length - 2 data bytes of the record from the field.
    void takeData(qelControlSequenceRecord* record);
    // Reads the length and type bytes as far as the field holds them.
    void readIntroducer(qelControlSequenceRecord* record);
    void continuePending();
    void executeFreeText(const uint8_t* bytes, int count);
    void setTextOrientation(qelControlSequenceRecord* record);
    void beginSuppression(qelControlSequenceRecord* record);
    void endSuppression(qelControlSequenceRecord* record);
    void readRule(qelControlSequenceRecord* record, bool bAxis);
    void repeatString(qelControlSequenceRecord* record);

    qelMedia* m_media = nullptr;
    int32_t m_inlinePosition = 0;
    int32_t m_baselinePosition = 0;
    int32_t m_baselineTracker = 0;
    int16_t m_relativeInline = 0;
    int16_t m_relativeBaseline = 0;
    uint8_t m_absoluteInlineMoved = 1;
    uint8_t m_absoluteBaselineMoved = 1;
    uint8_t m_relativeInlineMoved = 0;
    uint8_t m_relativeBaselineMoved = 0;
    int32_t m_inlineMargin = 0;
    int32_t m_baselineIncrement = 0;
    int32_t m_interCharacterAdjustment = 0;
    uint8_t m_interCharacterDirection = 0;
    int32_t m_variableSpaceIncrement = 0;
    int32_t m_iAxisDegrees = 0;
    int32_t m_iAxisMinutes = 0;
    uint16_t m_iAxisWord = 0;
    int32_t m_bAxisDegrees = 90;
    int32_t m_bAxisMinutes = 0;
    uint16_t m_bAxisWord = 90;
    uint32_t m_textColor = 0xFFFF;
    uint8_t m_underscore = 0;
    uint8_t m_overstrike = 0;
    uint16_t m_overstrikeCharacter = 0;
    uint8_t m_fontLocalId = 0;
    int32_t m_iRuleLength = 0;
    int32_t m_iRuleWidth = 0;
    int32_t m_bRuleLength = 0;
    int32_t m_bRuleWidth = 0;
    int32_t m_activeSuppressionId = -1;
    int32_t m_lastEndSuppressionId = -1;
    uint8_t m_suppressed = 0;
    int m_suppressionCount = 0;
    uint8_t m_suppressionIds[8] = {};
    qelControlSequenceRecord* m_pending = nullptr;
    qelControlSequenceRecord* m_record = nullptr;
    uint8_t m_freeText = 0;
    qelTextObject* m_lastTextObject = nullptr;
};

#endif
