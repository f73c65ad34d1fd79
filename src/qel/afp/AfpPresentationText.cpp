#include "qel/afp/AfpPresentationText.h"

#include "qel/afp/AfpAMBControlSequence.h"
#include "qel/afp/AfpAMIControlSequence.h"
#include "qel/afp/AfpDBRControlSequence.h"
#include "qel/afp/AfpDIRControlSequence.h"
#include "qel/afp/AfpLine.h"
#include "qel/afp/AfpOVSControlSequence.h"
#include "qel/afp/AfpPTXNOPControlSequence.h"
#include "qel/afp/AfpPresentationTextData.h"
#include "qel/afp/AfpPresentationTextDescriptor.h"
#include "qel/afp/AfpRMBControlSequence.h"
#include "qel/afp/AfpRMIControlSequence.h"
#include "qel/afp/AfpSCFLControlSequence.h"
#include "qel/afp/AfpSECControlSequence.h"
#include "qel/afp/AfpSIAControlSequence.h"
#include "qel/afp/AfpSTCControlSequence.h"
#include "qel/afp/AfpSTOControlSequence.h"
#include "qel/afp/AfpSVIControlSequence.h"
#include "qel/afp/AfpStructuredField.h"
#include "qel/afp/AfpTRNControlSequence.h"
#include "qel/afp/AfpText.h"
#include "qel/afp/AfpUSCControlSequence.h"
#include "qel/afp/DataPool.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/Error.h"
#include "qel/afp/Log.h"
#include "qel/afp/OutputProfile.h"
#include "qel/afp/ResFont.h"
#include "qelString.h"

#include <cstdio>
#include <new>
#include <vector>

namespace qel
{
namespace afp
{

namespace
{

const char kSource[] = "qel\\afp\\PresentationText";
constexpr int kChunk = 253;
constexpr int kColorSTC = 1;
constexpr int kColorSEC = 2;

void drop(Object* object)
{
    if (object && object->release(1) < 1)
        delete object;
}

int level()
{
    return DataPool::getInstance()->getOutputProfile()->getLevel();
}

const char* levelText(int value)
{
    switch (value) {
    case OutputProfile::LEVEL_MODCA_P: return "Modca-P";
    case OutputProfile::LEVEL_IS1: return "Modca-IS1";
    case OutputProfile::LEVEL_IS2: return "Modca-IS2";
    default: return "";
    }
}

bool validDegrees(int degrees)
{
    return degrees == 0 || degrees == 90 || degrees == 180 || degrees == 270 || degrees == -1;
}

} // namespace

// The sequences made for one addition, each with one reference of the
// batch: those no field or memory took are deleted with the batch, all of
// them when the addition fails.
class PresentationText::Batch
{
public:
    Batch() = default;
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;
    ~Batch()
    {
        for (ControlSequence* sequence : m_items)
            drop(sequence);
    }
    template <class T, class... A> T* make(A... arguments)
    {
        m_items.reserve(m_items.size() + 1);
        T* sequence = new T(arguments...);
        sequence->addReference(1);
        m_items.push_back(sequence);
        return sequence;
    }

private:
    std::vector<ControlSequence*> m_items;
};

PresentationText::PresentationText(PresentationTextDescriptor* descriptor) : m_descriptor(descriptor)
{
    const float s = scale();
    m_lowerBound = static_cast<int>(s * 0.0f);
    m_upperBound = static_cast<int>(s * 32767.0f);
    m_messages = new qelString(256);
}

PresentationText::~PresentationText()
{
    delete m_fields;
    for (ControlSequence* sequence : {m_state.amb, m_state.sto, m_state.sec, m_state.stc, m_state.scfl, m_state.svi,
                                      m_state.sia, m_state.usc, m_state.ovs})
        drop(sequence);
    delete m_messages;
}

float PresentationText::scale() const
{
    if (!m_descriptor)
        return 1.0f;
    return static_cast<float>(m_descriptor->getXUnitsPerUnitBase() / 14400.0);
}

bool PresentationText::isMode() const
{
    const int value = level();
    return value == OutputProfile::LEVEL_IS1 || value == OutputProfile::LEVEL_IS2;
}

ControlSequence* PresentationText::getRemembered(int kind) const
{
    switch (kind) {
    case ControlSequence::AMB: return m_state.amb;
    case ControlSequence::STO: return m_state.sto;
    case ControlSequence::SEC: return m_state.sec;
    case ControlSequence::STC: return m_state.stc;
    case ControlSequence::SCFL: return m_state.scfl;
    case ControlSequence::SVI: return m_state.svi;
    case ControlSequence::SIA: return m_state.sia;
    case ControlSequence::USC: return m_state.usc;
    case ControlSequence::OVS: return m_state.ovs;
    default: return nullptr;
    }
}

void PresentationText::warn(const char* text)
{
    if (m_messages->getLength() > 0)
        m_messages->append("\n  ");
    m_messages->append(text);
}

int PresentationText::outOfRange(const char* item, int value, int low, int high)
{
    if (DataPool::getInstance()->getOutputProfile()->isStrictCompliance()) {
        char message[512];
        std::snprintf(message, sizeof message, "%s value \"%d\" is not within valid range(%d-%d) for %s compliance",
                      item, value, low, high, levelText(level()));
        throw new Error(kSource, __LINE__, Error::E002, message);
    }
    char text[512];
    std::snprintf(text, sizeof text, "Warning! %s value \"%d\" is not within valid range(%d-%d) for %s compliance.",
                  item, value, low, high, levelText(level()));
    warn(text);
    return 1;
}

int PresentationText::checkRange(const char* item, int value, int low, int high)
{
    if (value >= low && value <= high)
        return 0;
    return outOfRange(item, value, low, high);
}

int PresentationText::assertControlSequence(ControlSequence* sequence, float s)
{
    logDebugText("qel::afp::PresentationText::assertControlSequence");
    if (!sequence) {
        logDebugText("\tStream or pmControlSequencePar = (NULL)");
        return -2;
    }
    const int upper = m_upperBound;
    const int rule = static_cast<int>(192.0f * s);
    const int spacing = static_cast<int>(4095.0f * s);
    switch (sequence->getType()) {
    case ControlSequence::AMB:
        return checkRange("Absolute Y position (PTOCA AMB displacement)",
                          static_cast<AMBControlSequence*>(sequence)->getDisplacement(), 0, upper);
    case ControlSequence::AMI:
        return checkRange("Absolute X position (PTOCA AMI displacement)",
                          static_cast<AMIControlSequence*>(sequence)->getDisplacement(), 0, upper);
    case ControlSequence::DBR:
    case ControlSequence::DIR: {
        const bool b = sequence->getType() == ControlSequence::DBR;
        int16_t length;
        int16_t width;
        if (b) {
            length = static_cast<DBRControlSequence*>(sequence)->getRuleLength();
            width = static_cast<DBRControlSequence*>(sequence)->getWidth();
        } else {
            length = static_cast<DIRControlSequence*>(sequence)->getRuleLength();
            width = static_cast<DIRControlSequence*>(sequence)->getWidth();
        }
        int rc = checkRange(b ? "Draw B Axis Line(PTOCA DBR) Length" : "Draw I Axis Line(PTOCA DIR) Length", length, 0,
                            upper);
        const int second =
            checkRange(b ? "Draw B Axis Line(PTOCA DBR) Width" : "Draw I Axis Line(PTOCA DIR) Width", width, 0, rule);
        return rc != 0 ? rc : second;
    }
    case ControlSequence::RMB:
        return checkRange("Relative Y position (PTOCA RMB displacement)",
                          static_cast<RMBControlSequence*>(sequence)->getIncrement(),
                          static_cast<int>(-32768.0f * s), upper);
    case ControlSequence::RMI:
        return checkRange("Relative X position (PTOCA RMI displacement)",
                          static_cast<RMIControlSequence*>(sequence)->getIncrement(), 0, upper);
    case ControlSequence::SCFL: {
        const int id = static_cast<SCFLControlSequence*>(sequence)->getLocalId();
        return id == 0xFF ? 0 : checkRange("Coded Font Local(PTOCA SCFL)", id, 0, 127);
    }
    case ControlSequence::SIA: {
        auto* sia = static_cast<SIAControlSequence*>(sequence);
        const int rc = checkRange("Inter Character Adjustment(PTOCA SIA)", static_cast<int16_t>(sia->getAdjustment()),
                                  0, spacing);
        const int second = checkRange("Intercharacter Adjustment Direction(PTOCA SIA)", sia->getDirection(), 0, 0);
        return rc != 0 ? rc : second;
    }
    case ControlSequence::SVI: {
        const int increment = static_cast<SVIControlSequence*>(sequence)->getIncrement();
        return increment == 0xFFFF ? 0 : checkRange("Variable Space Increment(PTOCA SVI)", increment, 0, spacing);
    }
    case ControlSequence::STC: {
        auto* stc = static_cast<STCControlSequence*>(sequence);
        const unsigned int color = stc->getForeGroundColor();
        if (color <= 0x0010 || (color >= 0xFF00 && color <= 0xFF08))
            return 0;
        char text[512];
        std::snprintf(text, sizeof text,
                      "Warning! Set Text Color(PTOCA STC) value \"%d\" is not valid SOCA Color for %s compliance. "
                      "Using default device color \"0xFF07\"",
                      static_cast<int>(color), levelText(level()));
        stc->setForeGroundColor(0xFF07);
        warn(text);
        return 0;
    }
    case ControlSequence::STO: {
        auto* sto = static_cast<STOControlSequence*>(sequence);
        int rc = 1;
        char text[512];
        if (!validDegrees(sto->getInlineDegrees())) {
            std::snprintf(text, sizeof text,
                          "Warning! Text I-Axis Orientation (PTOCA STO) value \"%d\" is not valid. Using default "
                          "value of zero degree",
                          static_cast<uint16_t>(sto->getInlineDegrees()));
            warn(text);
            sto->setInlineDegrees(0);
            rc = 2;
        }
        if (!validDegrees(sto->getBaselineDegrees())) {
            std::snprintf(text, sizeof text,
                          "Warning! Text B-Axis Orientation (PTOCA STO) value \"%d\" is not valid. Using default "
                          "value of 90 degrees",
                          static_cast<uint16_t>(sto->getBaselineDegrees()));
            warn(text);
            sto->setBaselineDegrees(90);
            rc = 2;
        }
        return rc;
    }
    case ControlSequence::OVS:
        logWarningText("PTOCA Oversrike Control sequence not allowed for MODCA-IS2 AFP compliance. Ignoring the "
                       "sequence");
        return -1;
    case ControlSequence::SEC:
        logWarningText("PTOCA Set Extended Control sequence not allowed for MODCA-IS2 AFP compliance. Ignoring the "
                       "sequence");
        return -1;
    case ControlSequence::USC:
        logWarningText("PTOCA Underscore Control sequence not allowed for MODCA-IS2 AFP compliance. Ignoring the "
                       "sequence");
        return -1;
    default: return 1;
    }
}

int PresentationText::assertLineForIS2(Line* line)
{
    logDebugText("qel::afp::PresentationText::assertLineForIS2");
    if (!line) {
        logDebugText("\tLine = (NULL)");
        return -1;
    }
    const int16_t width = static_cast<int16_t>(line->getWidth());
    const int16_t length = static_cast<int16_t>(line->getLength());
    if (width >= 0 && length >= 0)
        return 1;
    // Moves the start of an absolute axis by the negative extent.
    auto moveX = [line](int16_t by) {
        const int relative = line->isXPositionRelative() ? line->getRelXPosition() : 0;
        line->setXPosition(static_cast<int16_t>(line->getXPosition() + relative + by));
        line->clearPositionFlags(qel::Drawable::X_RELATIVE);
        line->setRelXPosition(0);
    };
    auto moveY = [line](int16_t by) {
        const int relative = line->isYPositionRelative() ? line->getRelYPosition() : 0;
        line->setYPosition(static_cast<int16_t>(line->getYPosition() + relative + by));
        line->clearPositionFlags(qel::Drawable::Y_RELATIVE);
        line->setRelYPosition(0);
    };
    const int direction = line->getDirection();
    if (direction == qel::Line::DIRECTION_INLINE) {
        if (length < 0 && line->isXPositionAbsolute()) {
            moveX(length);
            line->setLength(static_cast<uint16_t>(-length));
        }
        if (width < 0 && line->isYPositionAbsolute()) {
            moveY(width);
            line->setWidth(static_cast<uint16_t>(-width));
        }
    } else if (direction == qel::Line::DIRECTION_BASELINE) {
        if (length < 0 && line->isYPositionAbsolute()) {
            moveY(length);
            line->setLength(static_cast<uint16_t>(-length));
        }
        if (width < 0 && line->isXPositionAbsolute()) {
            moveX(width);
            line->setWidth(static_cast<uint16_t>(-width));
        }
    }
    return 1;
}

void PresentationText::positions(const qel::Drawable& object, State& next, Batch& batch, float s,
                                 ControlSequence** out)
{
    const bool check = isMode();
    out[0] = out[1] = out[2] = out[3] = nullptr; // AMI, AMB, RMI, RMB
    if (object.isXPositionAbsolute()) {
        out[0] = batch.make<AMIControlSequence>(object.getXPosition());
        if (check)
            assertControlSequence(out[0], s);
    }
    if (object.isXPositionRelative()) {
        out[2] = batch.make<RMIControlSequence>(object.getRelXPosition());
        if (check)
            assertControlSequence(out[2], s);
    }
    if (object.isYPositionRelative()) {
        out[3] = batch.make<RMBControlSequence>(object.getRelYPosition());
        if (check)
            assertControlSequence(out[3], s);
    }
    if (object.isYPositionAbsolute()) {
        auto* amb = batch.make<AMBControlSequence>(object.getYPosition());
        if (check)
            assertControlSequence(amb, s);
        if (next.amb && static_cast<AMBControlSequence*>(next.amb)->getDisplacement() == amb->getDisplacement()) {
            amb = nullptr;
        } else {
            next.amb = amb;
        }
        out[1] = amb;
    }
}

void PresentationText::orientation(int16_t iDegrees, uint8_t iMinutes, int16_t bDegrees, uint8_t bMinutes,
                                   State& next, Batch& batch, float s, ControlSequence** out)
{
    auto* sto = batch.make<STOControlSequence>(iDegrees, iMinutes, bDegrees, bMinutes);
    if (isMode())
        assertControlSequence(sto, s);
    auto* old = static_cast<STOControlSequence*>(next.sto);
    if (old && old->getInlineDegrees() == sto->getInlineDegrees() &&
        old->getInlineMinutes() == sto->getInlineMinutes() &&
        old->getBaselineDegrees() == sto->getBaselineDegrees() &&
        old->getBaselineMinutes() == sto->getBaselineMinutes()) {
        *out = nullptr;
        return;
    }
    next.sto = sto;
    *out = sto;
}

void PresentationText::color(int space, int value, State& next, Batch& batch, float s, ControlSequence** stc,
                             ControlSequence** sec)
{
    *stc = nullptr;
    *sec = nullptr;
    if (space == next.colorSpace && value == next.colorValue)
        return;
    next.colorSpace = space;
    next.colorValue = value;
    int secSpace = 0;
    switch (space) {
    case 0:
    case 5: {
        auto* made = batch.make<STCControlSequence>(static_cast<uint16_t>(value & 0xFFFF));
        if (isMode())
            assertControlSequence(made, s);
        next.stc = made;
        next.colorInForce = kColorSTC;
        *stc = made;
        return;
    }
    case 1: secSpace = SECControlSequence::SPACE_RGB; break;
    case 2: secSpace = SECControlSequence::SPACE_CMYK; break;
    case 3: secSpace = SECControlSequence::SPACE_HIGHLIGHT; break;
    case 4: secSpace = SECControlSequence::SPACE_CIELAB; break;
    default: return;
    }
    auto* made = batch.make<SECControlSequence>(secSpace, value);
    next.sec = made;
    next.colorInForce = kColorSEC;
    *sec = made;
}

bool PresentationText::fits(uint32_t need)
{
    if (m_maxFieldLength == 0)
        m_maxFieldLength = PresentationTextData::MAX_LENGTH;
    return m_current && !(m_maxFieldLength < m_current->getLength() + 2u + need);
}

void PresentationText::startField()
{
    if (!m_fields) {
        m_fields = new (std::nothrow) DLinkedList<WritableContext>(true);
        if (!m_fields)
            throw "Memory allocation for qel::afp::PresentationText::addText::pLstWritableContext failed";
    }
    auto* field = new (std::nothrow) PresentationTextData();
    if (!field)
        throw "Memory allocation for qel::afp::PresentationText::addText::pmPresentationTextData failed";
    m_fields->append(WritableContext::holding(field));
    field->addReference(1);
    m_current = field;
}

void PresentationText::repeatState(State& next, const State& produced, Source source)
{
    if (!produced.sto && next.sto)
        m_current->addControlSequence(next.sto);
    // Only the colour in force: an STC after an SEC must not be undone by
    // repeating the SEC after it, nor the other way round.
    if (!produced.sec && !produced.stc) {
        if (next.colorInForce == kColorSEC && next.sec)
            m_current->addControlSequence(next.sec);
        else if (next.colorInForce == kColorSTC && next.stc)
            m_current->addControlSequence(next.stc);
    }
    if (source == FROM_LINE) {
        next.scfl = nullptr;
        return;
    }
    if (!produced.scfl && next.scfl)
        m_current->addControlSequence(next.scfl);
    if (!produced.svi && next.svi)
        m_current->addControlSequence(next.svi);
    if (!produced.sia && next.sia)
        m_current->addControlSequence(next.sia);
    if (!produced.usc)
        next.usc = nullptr;
    if (!produced.ovs)
        next.ovs = nullptr;
}

void PresentationText::commit(const State& next)
{
    ControlSequence* State::*slots[] = {&State::amb, &State::sto,  &State::sec, &State::stc, &State::scfl,
                                        &State::svi, &State::sia, &State::usc, &State::ovs};
    for (ControlSequence* State::*slot : slots) {
        ControlSequence* now = next.*slot;
        ControlSequence* before = m_state.*slot;
        if (now == before)
            continue;
        if (now)
            now->addReference(1);
        drop(before);
    }
    m_state = next;
}

int PresentationText::addText(Text* text)
{
    logDebugText("qel::afp::PresentationText::addText");
    if (!text) {
        logDebugText("\tStream = (NULL)");
        return -1;
    }
    if (text->getLength() == 0 || !text->getText())
        return -2;
    const bool check = isMode();
    if (check)
        m_messages->clear();
    const float s = scale();
    Batch batch;
    State next = m_state;
    State produced;

    ControlSequence* moves[4];
    positions(*text, next, batch, s, moves);
    orientation(text->getIOrientationDegrees(), text->getIOrientationMinutes(), text->getBOrientationDegrees(),
                text->getBOrientationMinutes(), next, batch, s, &produced.sto);
    color(text->getColorSpace(), static_cast<int>(text->getColor()), next, batch, s, &produced.stc, &produced.sec);

    auto* scfl = batch.make<SCFLControlSequence>(text->getFontLocalId());
    if (check)
        assertControlSequence(scfl, s);
    if (next.scfl && static_cast<SCFLControlSequence*>(next.scfl)->getLocalId() == scfl->getLocalId()) {
        scfl = nullptr;
    } else {
        next.scfl = scfl;
    }
    produced.scfl = scfl;

    const uint16_t increment = text->getVariableSpaceIncrement();
    SVIControlSequence* svi = nullptr;
    auto* oldSvi = static_cast<SVIControlSequence*>(next.svi);
    if (!oldSvi) {
        if (increment != 0)
            svi = batch.make<SVIControlSequence>(increment);
    } else if (oldSvi->getIncrement() != increment) {
        svi = batch.make<SVIControlSequence>(static_cast<uint16_t>(increment ? increment : 0xFFFF));
        if (svi->getIncrement() == oldSvi->getIncrement())
            svi = nullptr;
    }
    if (svi) {
        if (check)
            assertControlSequence(svi, s);
        next.svi = svi;
    }
    produced.svi = svi;

    const uint16_t adjustment = text->getInterCharacterAdjustment();
    const uint8_t direction = text->getInterCharacterDirection();
    SIAControlSequence* sia = nullptr;
    auto* oldSia = static_cast<SIAControlSequence*>(next.sia);
    if (!oldSia) {
        if (adjustment != 0)
            sia = batch.make<SIAControlSequence>(adjustment, direction);
    } else if (oldSia->getAdjustment() != adjustment || oldSia->getDirection() != direction) {
        sia = batch.make<SIAControlSequence>(adjustment, direction);
    }
    if (sia) {
        if (check)
            assertControlSequence(sia, s);
        next.sia = sia;
    }
    produced.sia = sia;

    if (!check) {
        const uint8_t underscore = text->getUnderscore();
        auto* oldUsc = static_cast<USCControlSequence*>(next.usc);
        USCControlSequence* usc = nullptr;
        if (!oldUsc) {
            if (underscore != 0)
                usc = batch.make<USCControlSequence>(underscore);
        } else if (oldUsc->getFlags() != 0 && underscore == 0) {
            usc = batch.make<USCControlSequence>(static_cast<uint8_t>(0));
        } else if (oldUsc->getFlags() == 0 && underscore != 0) {
            usc = batch.make<USCControlSequence>(underscore);
        }
        if (usc)
            next.usc = usc;
        produced.usc = usc;

        const uint8_t overstrike = text->getOverstrike();
        OVSControlSequence* ovs = nullptr;
        if (overstrike != 0)
            ovs = batch.make<OVSControlSequence>(overstrike, text->getOverstrikeCharacter());
        else if (next.ovs && static_cast<OVSControlSequence*>(next.ovs)->getFlags() != 0)
            ovs = batch.make<OVSControlSequence>(static_cast<uint8_t>(0), text->getOverstrikeCharacter());
        if (ovs)
            next.ovs = ovs;
        produced.ovs = ovs;
    }

    // The text in chunks of at most 253 bytes.
    const int n = text->getLength();
    const ResFont* font = text->getFont();
    const uint8_t translate = (font && font->isTranslateText() == 1) ? 1 : 0;
    std::vector<TRNControlSequence*> chunks;
    chunks.reserve(static_cast<size_t>((n + kChunk - 1) / kChunk));
    for (int at = 0; at < n; at += kChunk) {
        auto* trn = batch.make<TRNControlSequence>(text->getText() + at, n - at < kChunk ? n - at : kChunk);
        trn->setTranslate(translate);
        trn->setDataEncoded(text->isDataEncoded());
        chunks.push_back(trn);
    }

    ControlSequence* const head[] = {produced.sto, produced.sec,  produced.stc, produced.scfl,
                                     produced.svi, produced.sia,  moves[0],     moves[1],
                                     moves[2],     moves[3],      produced.usc, produced.ovs};
    uint32_t need = 0;
    for (ControlSequence* sequence : head)
        if (sequence)
            need += sequence->evaluateLength();
    for (TRNControlSequence* trn : chunks)
        need += trn->evaluateLength();

    if (!fits(need)) {
        startField();
        repeatState(next, produced, FROM_TEXT);
    }
    for (ControlSequence* sequence : head)
        if (sequence)
            m_current->addControlSequence(sequence);
    // A text too long for one field goes on in further fields, each
    // repeating the state as a new field does.
    const State none;
    for (TRNControlSequence* trn : chunks) {
        if (!fits(trn->evaluateLength())) {
            startField();
            repeatState(next, none, FROM_TEXT);
            if (produced.usc)
                next.usc = produced.usc;
            if (produced.ovs)
                next.ovs = produced.ovs;
        }
        m_current->addControlSequence(trn);
    }
    commit(next);
    if (check)
        text->setLogText(m_messages->getBuffer());
    return 0;
}

int PresentationText::addLine(Line* line)
{
    logDebugText("qel::afp::PresentationText::addLine");
    if (!line) {
        logDebugText("\tStream = (NULL)");
        return -1;
    }
    const bool check = isMode();
    if (check) {
        m_messages->clear();
        assertLineForIS2(line);
    }
    const float s = scale();
    Batch batch;
    State next = m_state;
    State produced;
    ControlSequence* moves[4];
    positions(*line, next, batch, s, moves);
    orientation(line->getIOrientationDegrees(), line->getIOrientationMinutes(), line->getBOrientationDegrees(),
                line->getBOrientationMinutes(), next, batch, s, &produced.sto);
    color(line->getColorSpace(), static_cast<int>(line->getColor()), next, batch, s, &produced.stc, &produced.sec);
    ControlSequence* rule = nullptr;
    const int16_t width = static_cast<int16_t>(line->getWidth());
    const int16_t length = static_cast<int16_t>(line->getLength());
    if (line->getDirection() == qel::Line::DIRECTION_INLINE)
        rule = batch.make<DIRControlSequence>(width, length);
    else if (line->getDirection() == qel::Line::DIRECTION_BASELINE)
        rule = batch.make<DBRControlSequence>(width, length);
    ControlSequence* const head[] = {produced.sto, produced.sec, produced.stc, moves[0],
                                     moves[1],     moves[2],     moves[3],     rule};
    uint32_t need = 0;
    for (ControlSequence* sequence : head)
        if (sequence)
            need += sequence->evaluateLength();
    if (check && rule)
        assertControlSequence(rule, s);
    if (!fits(need)) {
        startField();
        repeatState(next, produced, FROM_LINE);
    }
    for (ControlSequence* sequence : head)
        if (sequence)
            m_current->addControlSequence(sequence);
    commit(next);
    if (check)
        line->setLogText(m_messages->getBuffer());
    return 0;
}

int PresentationText::addNoOperation(StructuredField* field)
{
    logDebugText("qel::afp::PresentationText::addNoOperation");
    if (!field) {
        logDebugText("\tStream = (NULL)");
        return -1;
    }
    const int n = field->getDataLength();
    const unsigned char* data = field->getData();
    if (n <= 0 || !data)
        return -2;
    Batch batch;
    std::vector<PTXNOPControlSequence*> chunks;
    uint32_t need = 0;
    for (int at = 0; at < n; at += kChunk) {
        auto* nop = batch.make<PTXNOPControlSequence>(data + at, n - at < kChunk ? n - at : kChunk);
        need += nop->evaluateLength();
        chunks.push_back(nop);
    }
    if (!fits(need))
        startField();
    for (PTXNOPControlSequence* nop : chunks) {
        // Data too long for one field goes on in further fields.
        if (!fits(nop->evaluateLength()))
            startField();
        m_current->addControlSequence(nop);
    }
    return 0;
}

int PresentationText::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    logDebugText("qel::afp::PresentationText::write");
    if (!dataStream || !m_fields) {
        logDebugText("\tStream or pLstWritableContext = (NULL)");
        return -1;
    }
    static const unsigned char kBegin[] = {0x00, 0x08, 0xD3, 0xA8, 0x9B, 0x00, 0x00, 0x00};
    static const unsigned char kEnd[] = {0x00, 0x08, 0xD3, 0xA9, 0x9B, 0x00, 0x00, 0x00};
    static const unsigned char k5A = 0x5A;
    if (controlFlags & kControlFlag5A)
        dataStream->write(&k5A, 1);
    int rc = dataStream->write(kBegin, sizeof kBegin);
    logInfoText("Begin Presentation Text");
    for (DNode<WritableContext>* node = m_fields->getFirst(); node; node = node->getNext()) {
        WritableContext* context = node->getData();
        if (context && context->getWritable() && !context->isSuppressed())
            rc = context->getWritable()->write(dataStream, controlFlags, context->getLastWritten());
    }
    if (controlFlags & kControlFlag5A)
        dataStream->write(&k5A, 1);
    rc = dataStream->write(kEnd, sizeof kEnd);
    logInfoText("End Presentation Text");
    return rc;
}

} // namespace afp
} // namespace qel
