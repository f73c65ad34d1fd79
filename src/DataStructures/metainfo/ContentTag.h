#ifndef DE_ORVO_IPS_METAINFO_CONTENT_TAG_H
#define DE_ORVO_IPS_METAINFO_CONTENT_TAG_H

#include "Tag.h"

namespace de { namespace orvo { namespace ips { namespace metainfo {

// A bookmark: a titled tag pointing at a page or page group.
class ContentTag : public Tag
{
public:
    enum TargetType { TARGET_PAGE = 0, TARGET_PAGE_GROUP = 1, TARGET_NONE = 2 };
    enum { STYLE_BOLD = 0x1, STYLE_ITALIC = 0x2 };

    ContentTag() = default;
    ~ContentTag() override;
    int32_t getType() const override { return TYPE_CONTENT; }
    char* toString() const override;

    void setTitle(const char* title) { setName(title); }
    const char* getTitle() const { return getName(); }
    void setTargetName(const char* name);
    const char* getTargetName() const;
    void setTargetType(int32_t type) { m_targetType = type; }
    int32_t getTargetType() const { return m_targetType; }
    void setColor(int32_t kind, int32_t color) { m_colorKind = kind; m_color = color; }
    int32_t getColor() const { return m_color; }
    int32_t getColorKind() const { return m_colorKind; }
    void setBoldFont(bool on) { setStyle(STYLE_BOLD, on); }
    bool isBoldFont() const { return (m_style & STYLE_BOLD) != 0; }
    void setItalicFont(bool on) { setStyle(STYLE_ITALIC, on); }
    bool isItalicFont() const { return (m_style & STYLE_ITALIC) != 0; }

    // Appends a child (the tag takes it over) and records its target in
    // the tree's root.
    void addChild(Tag* child);
    // In a root: adds the tag's target name to the target list.
    void addTarget(Tag* tag);
    // In a root: whether the target list holds the name.
    bool hasTarget(const char* name) const;
    Tag* getFirstChild();
    Tag* getNextChild();
    // Deletes the child at the cursor; the cursor moves to the previous one.
    void removeCurrentChild();

private:
    void setStyle(int32_t bit, bool on) { m_style = on ? (m_style | bit) : (m_style & ~bit); }

    qelString* m_targetName = nullptr;
    int32_t m_targetType = TARGET_NONE;
    int32_t m_color = 0;
    int32_t m_colorKind = 1;
    int32_t m_style = 0;
};

}}}}

#endif
