#ifndef QEL_AFP_RES_PAGE_DEFINITION_H
#define QEL_AFP_RES_PAGE_DEFINITION_H

#include "qel/afp/AfpResource.h"
#include "qel/afp/DLinkedList.h"

namespace qel
{
namespace afp
{

class BeginPageMap;
class ConditionalProcessingControl;
class DataMap;
class EndPageMap;

// A page definition in memory: its page-map fields, its data maps (owned)
// with a cursor for walking them, and its conditional processing controls
// (owned). Built once by the page-definition reader, then only read.
class ResPageDefinition : public Resource
{
public:
    ResPageDefinition();
    ~ResPageDefinition() override;

    // Writes nothing: -1.
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
    int initialize() override;
    int finalize() override;

    // Null is ignored.
    void addDataMap(DataMap* dataMap);
    void addConditionalProcessing(ConditionalProcessingControl* control);
    void addBeginPageMap(BeginPageMap* field);
    void addEndPageMap(EndPageMap* field);

    // The first data map of that name, case ignored; null for none, for a
    // null name and never one without a name.
    DataMap* findDataMap(const char* name) const;
    // Puts the cursor on the first data map.
    DataMap* getFirstDataMap();
    // Moves the cursor on; at the end null once (the cursor unset), then
    // the first data map again.
    DataMap* getNextDataMap();
    // The first control whose identifier is the low 16 bits of id.
    ConditionalProcessingControl* findConditionalProcessingControl(int id) const;
    // Forgets the previous line texts of every control.
    void resetConditionalProcessing();

    DLinkedList<DataMap>* getDataMaps() const { return m_dataMaps; }
    DLinkedList<ConditionalProcessingControl>* getConditionalProcessingControls() const { return m_controls; }
    // The page-map fields.
    DLinkedList<WritableContext>* getFields() const { return m_list; }

private:
    DLinkedList<DataMap>* m_dataMaps = nullptr;
    DNode<DataMap>* m_cursor = nullptr;
    DLinkedList<ConditionalProcessingControl>* m_controls = nullptr;
};

} // namespace afp
} // namespace qel

#endif
