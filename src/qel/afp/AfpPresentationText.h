#ifndef QEL_AFP_PRESENTATION_TEXT_H
#define QEL_AFP_PRESENTATION_TEXT_H

#include "qel/afp/DLinkedList.h"
#include "qel/afp/Writable.h"
#include "qel/afp/WritableContext.h"

#include <cstdint>

class qelString;

namespace qel
{

class Drawable;

namespace afp
{

class ControlSequence;
class Line;
class PresentationTextData;
class PresentationTextDescriptor;
class StructuredField;
class Text;

// A presentation text object: texts, rules and no-operation texts become
// PTOCA control sequences in Presentation Text Data fields of at most 8192
// bytes. Sequences that would repeat the state in force are left out; a
// new field repeats the state it needs. At IS/1 and IS/2 values are
// checked against the interchange set. Written once, as Begin
// Presentation Text, its fields and End Presentation Text.
class PresentationText : public Writable
{
public:
    // The descriptor (not owned, may be null) gives the measurement units.
    explicit PresentationText(PresentationTextDescriptor* descriptor);
    ~PresentationText() override;

    // -1 for a null text, -2 for an empty one, else 0. In strict IS mode a
    // value out of range throws a qel::Error (message 2) and leaves the
    // object as it was.
    int addText(Text* text);
    // -1 for a null line, else 0; throws as addText.
    int addLine(Line* line);
    // The field's data as No Operation sequences: -1 for a null field, -2
    // without data, else 0.
    int addNoOperation(StructuredField* field);

    // The interchange check of one sequence: -2 null, 0 in range or
    // replaced (STC), 1 warned or not tested (and a valid STO), 2 STO angle
    // replaced, -1 for a kind the interchange set forbids.
    int assertControlSequence(ControlSequence* sequence, float scale);
    // Makes negative rule extents positive by moving the start along an
    // absolute axis; -1 for a null line, else 1.
    int assertLineForIS2(Line* line);

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    DLinkedList<WritableContext>* getFields() const { return m_fields; }
    PresentationTextData* getCurrentField() const { return m_current; }
    int getLowerBound() const { return m_lowerBound; }
    int getUpperBound() const { return m_upperBound; }
    uint16_t getMaxFieldLength() const { return m_maxFieldLength; }
    // The remembered sequence of a kind (ControlSequence::Kind); null when
    // none.
    ControlSequence* getRemembered(int kind) const;
    int getColorSpace() const { return m_state.colorSpace; }
    int getColorValue() const { return m_state.colorValue; }

    // Which of the state sequences an addition produced, and the state.
    struct State
    {
        ControlSequence* amb = nullptr;
        ControlSequence* sto = nullptr;
        ControlSequence* sec = nullptr;
        ControlSequence* stc = nullptr;
        ControlSequence* scfl = nullptr;
        ControlSequence* svi = nullptr;
        ControlSequence* sia = nullptr;
        ControlSequence* usc = nullptr;
        ControlSequence* ovs = nullptr;
        int colorSpace = 0;
        int colorValue = 0;
        // The colour sequence in force: 0 none, 1 STC, 2 SEC.
        int colorInForce = 0;
    };

private:
    class Batch;
    enum Source { FROM_TEXT, FROM_LINE };

    float scale() const;
    bool isMode() const;
    void warn(const char* text);
    // Out of range: throws in strict mode, else a warning; returns 1.
    int outOfRange(const char* item, int value, int low, int high);
    int checkRange(const char* item, int value, int low, int high);
    // Position, orientation and colour sequences shared by texts and rules.
    void positions(const qel::Drawable& object, State& next, Batch& batch, float s, ControlSequence** out);
    void orientation(int16_t iDegrees, uint8_t iMinutes, int16_t bDegrees, uint8_t bMinutes, State& next,
                     Batch& batch, float s, ControlSequence** out);
    void color(int space, int value, State& next, Batch& batch, float s, ControlSequence** stc,
               ControlSequence** sec);
    bool fits(uint32_t need);
    void startField();
    // Repeats in the new current field the state sequences the addition
    // did not produce itself.
    void repeatState(State& next, const State& produced, Source source);
    void commit(const State& next);

    PresentationTextDescriptor* m_descriptor;
    int m_lowerBound = 0;
    int m_upperBound = 0;
    PresentationTextData* m_current = nullptr;
    DLinkedList<WritableContext>* m_fields = nullptr;
    uint16_t m_maxFieldLength = 0;
    State m_state;
    qelString* m_messages = nullptr;
};

} // namespace afp
} // namespace qel

#endif
