#include "qelGlobalRes.h"

#include "qelAFPFont.h"
#include "qelCharSetAliasName.h"
#include "qelCodePage.h"
#include "qelException.h"
#include "qelFontMapper.h"
#include "qelGlobalDSPool.h"
#include "qelHashIdMap.h"
#include "qelIni.h"
#include "qelLinkedList.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMappingDef.h"
#include "qelPage.h"
#include "qelPoolAccess.h"
#include "qelRes.h"
#include "qelCharSetParser.h"
#include "qelResParser.h"
#include "qelResourceKinds.h"
#include "qelString.h"
#include "qelUtils.h"

#include <cstring>
#include <memory>
#include <string>

namespace {

using qelPoolAccess::options;

qelLogStream* logIf(unsigned int bits)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    return log && log->anyOf(bits) ? log : nullptr;
}

bool startsWith(const char* name, char upper)
{
    return name && (name[0] == upper || name[0] == upper + ('a' - 'A'));
}

bool isDefault(const char* name)
{
    return qelString::compare(name, "DEFAULT", true, 0);
}

bool sameName(const char* a, const char* b)
{
    return qelString::compare(a, b, true, 0);
}

const char* cpPath()
{
    qelIni* ini = options();
    return ini ? ini->getCpPath() : nullptr;
}

bool mappingDefLoaded()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelMappingDef* md = pool ? pool->getMappingDef() : nullptr;
    return md && md->isLoaded();
}

qelAFPFont* asFont(qelRes* res)
{
    return res && res->getType() == qelRes::TYPE_FONT ? static_cast<qelAFPFont*>(res) : nullptr;
}

qelCodePage* asCodePage(qelRes* res)
{
    return res && res->getType() == qelRes::TYPE_CODE_PAGE ? static_cast<qelCodePage*>(res) : nullptr;
}

// Type text of E084.
const char* missingTypeText(int type, const char* name)
{
    switch (type) {
    case qelRes::TYPE_OVERLAY:
        return "Overlay";
    case qelRes::TYPE_PAGE_SEGMENT:
        return "Page Segment";
    case qelRes::TYPE_FONT:
        if (startsWith(name, 'X'))
            return "Coded Font";
        if (startsWith(name, 'C'))
            return "Character Set";
        return "FONT";
    case qelRes::TYPE_CODE_PAGE:
        return "CodePage";
    case qelRes::TYPE_MEDIUM_MAP:
        return "MediumMap";
    case qelRes::TYPE_FORM_MAP:
        return "FormMap";
    case qelRes::TYPE_GOCA:
        return "Goca";
    case qelRes::TYPE_OBJECT_CONTAINER:
        return "ObjectContainer";
    default:
        return "";
    }
}

// The form map name of a [FORMDEF] entry: the text before '=' (or before
// the first ',' when there is no '=').
std::string formMapOfEntry(const char* entry)
{
    std::string e(entry ? entry : "");
    size_t end = e.find('=');
    if (end == std::string::npos)
        end = e.find(',');
    std::string name = e.substr(0, end);
    const size_t b = name.find_first_not_of(" \t");
    const size_t l = name.find_last_not_of(" \t");
    return b == std::string::npos ? std::string() : name.substr(b, l - b + 1);
}

void loadIfNeeded(qelCodePage* codePage)
{
    if (codePage && !codePage->isLoaded()) {
        codePage->load(true);
        codePage->setLoaded(true);
    }
}

// Ties a font to its code page.
void tieCodePage(qelAFPFont* font, qelCodePage* codePage, const char* codePageName)
{
    if (!font)
        return;
    font->setCodePageName(codePageName);
    font->setCodePageFound(codePage && codePage->getFound());
    font->setCodePage(codePage);
    font->setEncoding(codePage ? codePage->getEncoding() : nullptr);
}

}

qelGlobalRes::~qelGlobalRes()
{
    clear();
}

int qelGlobalRes::listIndex(const char* name, int typeIndex)
{
    switch (typeIndex + 1) {
    case qelRes::TYPE_OVERLAY:
        return LIST_OVERLAYS;
    case qelRes::TYPE_PAGE_SEGMENT:
        return LIST_PAGE_SEGMENTS;
    case qelRes::TYPE_FONT:
        if (startsWith(name, 'X'))
            return LIST_CODED_FONTS;
        if (startsWith(name, 'C') || isDefault(name) || qelUtils::isNumber(name))
            return LIST_CHARACTER_SETS;
        return -1;
    case qelRes::TYPE_CODE_PAGE:
        return LIST_CODE_PAGES;
    case qelRes::TYPE_MEDIUM_MAP:
        return LIST_MEDIUM_MAPS;
    case qelRes::TYPE_FORM_MAP:
        return LIST_FORM_MAPS;
    case qelRes::TYPE_GOCA:
        return LIST_GOCA;
    case qelRes::TYPE_OBJECT_CONTAINER:
        return LIST_OBJECT_CONTAINERS;
    default:
        return -1;
    }
}

qelList* qelGlobalRes::existingList(int level, const char* name, int typeIndex) const
{
    const int index = listIndex(name, typeIndex);
    if (index < 0 || level < 0 || level > 1)
        return nullptr;
    return m_lists[level][index];
}

qelList* qelGlobalRes::getList(int level, const char* name, int typeIndex)
{
    const int index = listIndex(name, typeIndex);
    if (index < 0 || level < 0 || level > 1)
        return nullptr;
    if (!m_lists[level][index])
        m_lists[level][index] = new qelList(&qelList::deleteAs<qelRes>);
    return m_lists[level][index];
}

qelRes* qelGlobalRes::findFont(const char* name, const qelList* list)
{
    std::string pattern = std::string(name).substr(0, 8);
    if (pattern.size() >= 2)
        pattern[1] = '?';
    qelRes* last = nullptr;
    for (qelListNode* n = list->getHead(); n; n = n->next) {
        auto* res = static_cast<qelRes*>(n->item);
        const char* resName = res->getName();
        if (!resName)
            continue;
        if (sameName(resName, name))
            return res;
        if (qelString::matchWildcard(resName, pattern.c_str()))
            last = res;
    }
    return last;
}

qelRes* qelGlobalRes::findInList(const char* name, int type, qelList* list) const
{
    if (!name || type == 0 || !list || list->getCount() == 0)
        return nullptr;
    if (type == qelRes::TYPE_FONT)
        return findFont(name, list);
    // A resource group files a resource under the name its own begin field
    // carries and keeps the Begin Resource name, by which pages include it,
    // as its alias; a resource of that name comes first.
    qelRes* aliased = nullptr;
    for (qelListNode* n = list->getHead(); n; n = n->next) {
        auto* res = static_cast<qelRes*>(n->item);
        if (sameName(res->getName(), name))
            return res;
        if (!aliased && sameName(res->getAliasName(), name))
            aliased = res;
    }
    return aliased;
}

qelRes* qelGlobalRes::findResource(const char* name, int type)
{
    if (!name || type == 0)
        return nullptr;
    for (int level = LEVEL_SPOOL; level <= LEVEL_PROCESS; ++level)
        if (qelRes* res = findInList(name, type, existingList(level, name, type - 1)))
            return res;
    return nullptr;
}

void qelGlobalRes::addResource(qelRes* resource)
{
    if (!resource || resource->getType() < 1 || resource->getType() > 8)
        return;
    qelList* list = getList(resource->getInline() ? LEVEL_SPOOL : LEVEL_PROCESS, resource->getName(),
                            static_cast<int>(resource->getType()) - 1);
    if (list)
        list->append(resource);
}

qelResParser* qelGlobalRes::getResourceLoader(int type, const char* name)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    if (!pool)
        return nullptr;
    switch (type) {
    case qelRes::TYPE_OVERLAY:
        return pool->getOverlayParser();
    case qelRes::TYPE_PAGE_SEGMENT:
        return pool->getPageSegmentParser();
    case qelRes::TYPE_FONT:
        if (startsWith(name, 'C'))
            return pool->getCharSetParser();
        if (startsWith(name, 'X'))
            return pool->getCodedFontParser();
        return nullptr;
    case qelRes::TYPE_CODE_PAGE:
        return pool->getCodePageParser();
    case qelRes::TYPE_MEDIUM_MAP:
    case qelRes::TYPE_FORM_MAP:
        return pool->getFormDefParser();
    case qelRes::TYPE_GOCA:
        return pool->getGocaParser();
    case qelRes::TYPE_OBJECT_CONTAINER:
        return pool->getObjectContainerParser();
    default:
        return nullptr;
    }
}

qelRes* qelGlobalRes::getResource(const char* name, int type)
{
    if (!name || !*name || type == 0)
        return nullptr;
    qelIni* ini = options();
    const bool qelnop = ini && ini->isQELNOP();

    qelResourceAliasName* alias = nullptr;
    std::string hashIdText;
    if (qelnop) {
        qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
        qelHashIdMap* map = pool ? pool->getHashIdMap() : nullptr;
        alias = map ? map->findHashId(name, type) : nullptr;
        if (alias && alias->getHashId())
            hashIdText = alias->getHashId();
    }
    const char* hashId = hashIdText.empty() ? nullptr : hashIdText.c_str();

    qelRes* result = findResource(name, type);
    if (qelnop && !result) {
        if (qelLogStream* log = logIf(QEL_LOG_GENERAL)) {
            if (hashId)
                log->printLine("Hash Id %s found for given resource %s", hashId, name);
            else
                log->printLine("Warning! Hash Id not found for given resource %s, using resource name itself", name);
        }
    }

    if (!result && isDefault(name) && (type == qelRes::TYPE_FONT || type == qelRes::TYPE_CODE_PAGE)) {
        if (qelRes* def = createDefaultResource(type)) {
            def->setFound(0);
            def->setInline(0);
            addResource(def);
            return def;
        }
    }

    if (!result && type == qelRes::TYPE_FONT && std::strlen(name) >= 2 && name[1] != 'z' && name[1] != 'Z') {
        std::string other(name);
        other[1] = '?';
        result = findResource(other.c_str(), type);
    }

    if (!result) {
        std::string loadName(name);
        int loaderType = type;
        if (type == qelRes::TYPE_MEDIUM_MAP) {
            loaderType = qelRes::TYPE_FORM_MAP;
            std::unique_ptr<char[]> entry(ini ? ini->findFormdefEntry(name) : nullptr);
            if (entry) {
                const std::string formMap = formMapOfEntry(entry.get());
                // A filed form map holds no such medium map.
                if (!formMap.empty() && findResource(formMap.c_str(), qelRes::TYPE_FORM_MAP))
                    return nullptr;
                if (!formMap.empty())
                    loadName = formMap;
            }
        }
        qelResParser* loader = getResourceLoader(loaderType, loadName.c_str());
        // Fonts and code pages without a parser of their kind are placeholders
        // mapped through the font mapping definition, as when none is found.
        if (!loader && type != qelRes::TYPE_FONT && type != qelRes::TYPE_CODE_PAGE)
            return nullptr;
        if (loader && !loadName.empty()) {
            result = loader->parse(loadName.c_str(), qelResParser::MODE_LIBRARY, hashId);
            if (result) {
                result->setFound(1);
                result->setInline(0);
                addResource(result);
            }
        }
        if (type == qelRes::TYPE_MEDIUM_MAP)
            result = findResource(name, qelRes::TYPE_MEDIUM_MAP);
    }

    // The default font and code page are filed with found 0 but are not
    // missing.
    const bool filedDefault = result && isDefault(name)
                              && (type == qelRes::TYPE_FONT || type == qelRes::TYPE_CODE_PAGE);
    if ((!result || !result->getFound()) && !filedDefault && ini && ini->isStrict())
        throw new qelException(__FILE__, __LINE__, qelMsg::E084, 0, true, name, missingTypeText(type, name));

    if (!result)
        return createResource(name, type, hashId, true);

    if (qelAFPFont* font = asFont(result)) {
        if (font->isMapped())
            return font;
        if (startsWith(name, 'C') && alias) {
            if (auto* charSetAlias = dynamic_cast<qelCharSetAliasName*>(alias))
                font->setAliasNames(charSetAlias->getNamePairs());
        }
        applyFontMapping(font, startsWith(name, 'C') ? qelFileFontMapper::TARGET_CHARACTER_SETS
                               : startsWith(name, 'X') ? qelFileFontMapper::TARGET_CODED_FONTS
                                                       : qelFileFontMapper::TARGET_OTHER);
    } else {
        loadIfNeeded(asCodePage(result));
    }
    return result;
}

qelRes* qelGlobalRes::createDefaultResource(int type)
{
    if (type == qelRes::TYPE_FONT) {
        qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
        qelAFPFont* font = nullptr;
        if (mappingDefLoaded()) {
            qelFileFontMapper* mapper = pool->getFileFontMapper();
            font = mapper ? mapper->mapCharacterSet("DEFAULT", nullptr) : nullptr;
        }
        // Without a mapping definition, or without a DEFAULT entry in it,
        // the built-in table's DEFAULT row keeps texts bindable.
        if (!font) {
            qelArrayFontMapper* builtIn = pool->getArrayFontMapper();
            font = builtIn ? builtIn->mapCharacterSet("DEFAULT", "DEFAULT") : nullptr;
        }
        if (!font)
            return nullptr;
        font->setMapped(true);
        font->setFileName("DEFAULT");
        return font;
    }
    if (type == qelRes::TYPE_CODE_PAGE) {
        auto* codePage = new qelCodePage("DEFAULT", cpPath());
        codePage->load(true);
        codePage->setLoaded(true);
        codePage->setFileName("DEFAULT");
        return codePage;
    }
    return nullptr;
}

qelRes* qelGlobalRes::createResource(const char* name, int type, const char* fileName, bool registerIt)
{
    qelRes* res = nullptr;
    switch (type) {
    case qelRes::TYPE_OVERLAY:
        res = new qelResOverlay(name);
        break;
    case qelRes::TYPE_PAGE_SEGMENT:
        res = new qelResPSEG(name);
        break;
    case qelRes::TYPE_MEDIUM_MAP:
        res = new qelMediumMap(name);
        break;
    case qelRes::TYPE_FORM_MAP:
        res = new qelFORMDEF(name);
        break;
    case qelRes::TYPE_GOCA:
        res = new qelResGOCA(name);
        break;
    case qelRes::TYPE_OBJECT_CONTAINER:
        res = new qelResObjectContainer(name);
        break;
    case qelRes::TYPE_FONT: {
        if (!name)
            return nullptr;
        qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
        qelFontMapper* mapper = nullptr;
        if (mappingDefLoaded())
            mapper = pool->getFileFontMapper();
        else
            mapper = pool ? pool->getArrayFontMapper() : nullptr;
        qelAFPFont* font = nullptr;
        if (mapper && startsWith(name, 'C'))
            font = mapper->mapCharacterSet(name, nullptr);
        else if (mapper && startsWith(name, 'X'))
            font = mapper->mapCodedFont(name);
        if (!font)
            return nullptr;
        font->setMapped(true);
        res = font;
        break;
    }
    case qelRes::TYPE_CODE_PAGE: {
        auto* codePage = new qelCodePage(name, cpPath());
        qelCodePage::setIdFromName(codePage);
        codePage->load(true);
        codePage->setLoaded(true);
        res = codePage;
        break;
    }
    default:
        return nullptr;
    }
    res->setFileName(fileName ? fileName : name);
    res->setFound(0);
    res->setInline(0);
    if (registerIt) {
        qelList* list = getList(LEVEL_PROCESS, res->getName(), type - 1);
        if (list) {
            list->append(res);
        } else {
            delete res;
            return nullptr;
        }
    }
    return res;
}

void qelGlobalRes::applyFontMapping(qelAFPFont* font, int target)
{
    if (!font || !mappingDefLoaded())
        return;
    if (qelFileFontMapper* mapper = qelGlobalDSPool::getInstance()->getFileFontMapper())
        mapper->mapFont(font, target);
    font->setMapped(true);
}

void qelGlobalRes::loadFontWithCodePage(const char* characterSetName, const char* codePageName,
                                        qelFontWithCodePage* result)
{
    if (!characterSetName || !codePageName || !result)
        return;
    *result = qelFontWithCodePage();
    qelAFPFont* font = asFont(findResource(characterSetName, qelRes::TYPE_FONT));
    if (!font)
        font = asFont(getResource(characterSetName, qelRes::TYPE_FONT));
    if (font && !font->isMapped())
        applyFontMapping(font, qelFileFontMapper::TARGET_ALL);
    qelCodePage* codePage = asCodePage(getResource(codePageName, qelRes::TYPE_CODE_PAGE));
    tieCodePage(font, codePage, codePageName);
    result->font = font;
    result->codePage = codePage;
}

void qelGlobalRes::addScriptFont(qelRes* resource)
{
    if (!resource)
        return;
    if (!m_scriptRes)
        m_scriptRes = new qelList(&qelList::deleteAs<qelRes>);
    resource->setInline(0);
    m_scriptRes->append(resource);
    resource->setLocalId(500 + m_scriptRes->getCount());
}

void qelGlobalRes::addProcessScriptFont(qelRes* resource)
{
    if (!resource)
        return;
    if (!m_processScriptRes)
        m_processScriptRes = new qelList(&qelList::deleteAs<qelRes>);
    resource->setInline(0);
    m_processScriptRes->append(resource);
    resource->setLocalId(1000 + m_processScriptRes->getCount());
}

namespace {
qelRes* findScriptResource(const char* name, int type, const qelList* list)
{
    if (!name || !list || list->getCount() == 0)
        return nullptr;
    if (type == qelRes::TYPE_FONT) {
        std::string pattern = std::string(name).substr(0, 8);
        if (pattern.size() >= 2)
            pattern[1] = '?';
        qelRes* last = nullptr;
        for (qelListNode* n = list->getHead(); n; n = n->next) {
            auto* res = static_cast<qelRes*>(n->item);
            if (!res->getName())
                continue;
            if (sameName(res->getName(), name))
                return res;
            if (qelString::matchWildcard(res->getName(), pattern.c_str()))
                last = res;
        }
        return last;
    }
    if (type == qelRes::TYPE_CODE_PAGE) {
        for (qelListNode* n = list->getHead(); n; n = n->next)
            if (sameName(static_cast<qelRes*>(n->item)->getName(), name))
                return static_cast<qelRes*>(n->item);
    }
    return nullptr;
}
}

qelRes* qelGlobalRes::findScriptFont(const char* name, int type) const
{
    return findScriptResource(name, type, m_scriptRes);
}

qelRes* qelGlobalRes::findProcessScriptFont(const char* name, int type) const
{
    return findScriptResource(name, type, m_processScriptRes);
}

qelRes* qelGlobalRes::loadCodePage(const char* name, int type, bool registerIt)
{
    if (!name || !*name)
        return nullptr;
    qelResParser* loader = getResourceLoader(type, name);
    if (!loader)
        return nullptr;
    qelRes* res = loader->parse(name, qelResParser::MODE_LIBRARY, nullptr);
    if (!res)
        return nullptr;
    res->setFound(1);
    res->setInline(0);
    if (registerIt)
        addResource(res);
    return res;
}

void qelGlobalRes::createScriptFontWithCodePage(const char* characterSetName, const char* codePageName,
                                                qelFontWithCodePage* result, bool initializePhase)
{
    if (!characterSetName || !codePageName || !result)
        return;
    *result = qelFontWithCodePage();
    qelIni* ini = options();
    const bool qelnop = ini && ini->isQELNOP();
    qelHashIdMap* map = qelnop ? qelGlobalDSPool::getInstance()->getHashIdMap() : nullptr;
    auto file = [&](qelRes* res) {
        if (initializePhase)
            addProcessScriptFont(res);
        else
            addScriptFont(res);
    };
    auto find = [&](const char* name, int type) {
        return initializePhase ? findProcessScriptFont(name, type) : findScriptFont(name, type);
    };

    std::string fontHashId;
    if (map) {
        qelResourceAliasName* a = map->findHashId(characterSetName, qelRes::TYPE_FONT);
        if (a && a->getHashId())
            fontHashId = a->getHashId();
    }
    qelAFPFont* font = asFont(find(characterSetName, qelRes::TYPE_FONT));
    if (!font) {
        qelRes* made = loadCodePage(characterSetName, qelRes::TYPE_FONT, false);
        if (!made)
            made = createResource(characterSetName, qelRes::TYPE_FONT, fontHashId.empty() ? nullptr : fontHashId.c_str(),
                                  false);
        file(made);
        font = asFont(made);
    }
    if (!font)
        return;
    if (!font->isMapped())
        applyFontMapping(font, qelFileFontMapper::TARGET_ALL);

    std::string pageHashId;
    if (map && map->getCodePageList()) {
        for (qelListNode* n = map->getCodePageList()->getHead(); n; n = n->next) {
            auto* a = static_cast<qelResourceAliasName*>(n->item);
            if (sameName(a->getName(), codePageName)) {
                pageHashId = a->getHashId() ? a->getHashId() : "";
                break;
            }
        }
    }
    qelList* list = scriptList(initializePhase);
    qelCodePage* codePage = nullptr;
    for (qelListNode* n = list ? list->getHead() : nullptr; n && !codePage; n = n->next)
        if (sameName(static_cast<qelRes*>(n->item)->getName(), codePageName))
            codePage = asCodePage(static_cast<qelRes*>(n->item));
    if (!codePage) {
        qelRes* loaded = loadCodePage(codePageName, qelRes::TYPE_CODE_PAGE, false);
        codePage = asCodePage(loaded);
        if (loaded && !codePage)
            delete loaded;
        if (codePage) {
            qelCodePage::setIdFromName(codePage);
            codePage->load(true);
            codePage->setLoaded(true);
        } else {
            codePage = new qelCodePage(codePageName, cpPath());
            qelCodePage::setIdFromName(codePage);
            codePage->load(true);
            codePage->setLoaded(true);
            codePage->setFileName(pageHashId.empty() ? codePageName : pageHashId.c_str());
            codePage->setFound(0);
            codePage->setInline(0);
        }
        file(codePage);
    }
    tieCodePage(font, codePage, codePageName);
    result->font = font;
    result->codePage = codePage;
}

qelAFPFont* qelGlobalRes::createScriptFont(const char* name, qelFontWithCodePage* result, bool initializePhase)
{
    if (result)
        *result = qelFontWithCodePage();
    auto find = [&](const char* n, int type) {
        return initializePhase ? findProcessScriptFont(n, type) : findScriptFont(n, type);
    };
    auto charSetOf = [](qelAFPFont* f) {
        f->checkRepresentation();
        return f->getCharacterSetName();
    };
    qelAFPFont* font = asFont(find(name, qelRes::TYPE_FONT));
    if (font) {
        if (result) {
            const char* charSet = charSetOf(font);
            result->font = asFont(charSet ? find(charSet, qelRes::TYPE_FONT) : nullptr);
            qelRes* cp = font->getCodePageName() ? find(font->getCodePageName(), qelRes::TYPE_FONT) : nullptr;
            result->codePage = asCodePage(cp);
        }
        return font;
    }
    if (name && *name) {
        qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
        qelResParser* parser = nullptr;
        if (startsWith(name, 'C'))
            parser = pool->getCharSetParser();
        else if (startsWith(name, 'X'))
            parser = pool->getCodedFontParser();
        qelRes* loaded = parser ? parser->parse(name, qelResParser::MODE_LIBRARY, nullptr) : nullptr;
        font = asFont(loaded);
        if (loaded && !font)
            delete loaded;
        if (font) {
            font->setFound(1);
            font->setInline(0);
        }
    }
    if (!font)
        font = asFont(createResource(name, qelRes::TYPE_FONT, nullptr, false));
    if (!font)
        return nullptr;
    if (initializePhase)
        addProcessScriptFont(font);
    else
        addScriptFont(font);
    qelFontWithCodePage pair;
    createScriptFontWithCodePage(charSetOf(font), font->getCodePageName(), &pair, initializePhase);
    font->setCodePage(pair.codePage);
    if (result)
        *result = pair;
    return font;
}

void qelGlobalRes::releaseUnusedScriptFonts()
{
    if (!m_scriptRes)
        return;
    int index = 0;
    for (qelListNode* n = m_scriptRes->getHead(); n;) {
        auto* res = static_cast<qelRes*>(n->item);
        n = n->next;
        if (res->getUseCount() <= 0)
            m_scriptRes->removeAt(index);
        else
            ++index;
    }
}

void qelGlobalRes::mapProcessScriptFonts()
{
    if (!m_processScriptRes || !mappingDefLoaded())
        return;
    for (qelListNode* n = m_processScriptRes->getHead(); n; n = n->next) {
        auto* res = static_cast<qelRes*>(n->item);
        if (qelAFPFont* font = asFont(res)) {
            if (font->isMapped() || !font->getName())
                continue;
            if (startsWith(font->getName(), 'C'))
                applyFontMapping(font, qelFileFontMapper::TARGET_CHARACTER_SETS);
            else if (startsWith(font->getName(), 'X'))
                applyFontMapping(font, qelFileFontMapper::TARGET_CODED_FONTS);
            font->setMapped(true);
        } else {
            loadIfNeeded(asCodePage(res));
        }
    }
}

void qelGlobalRes::addMMDPage(qelPage* page)
{
    if (!page)
        return;
    if (!m_scriptPages)
        m_scriptPages = new qelList(&qelList::deleteAs<qelPage>);
    m_scriptPages->append(page);
}

qelCodePage* qelGlobalRes::findCodePageByEncoding(const char* encodingName)
{
    if (!encodingName)
        return nullptr;
    if (m_encodingCodePages) {
        for (qelListNode* n = m_encodingCodePages->getHead(); n; n = n->next) {
            auto* cp = static_cast<qelCodePage*>(n->item);
            if (sameName(cp->getEncoding(), encodingName))
                return cp;
        }
    } else {
        m_encodingCodePages = new qelList(&qelList::deleteAs<qelCodePage>);
    }
    auto* codePage = new qelCodePage(encodingName, cpPath());
    codePage->setEncoding(encodingName);
    codePage->load(false);
    m_encodingCodePages->append(codePage);
    return codePage;
}

qelAFPFont* qelGlobalRes::getFontFromFile(const char* name, const char* typefaceName, const char* fontName,
                                          bool bold, bool italic, float size)
{
    if (!name)
        return nullptr;
    qelAFPFont* found = asFont(findInList(name, qelRes::TYPE_FONT, existingList(LEVEL_SPOOL, name, 2)));
    if (found && sameName(found->getName(), name)) {
        if (size > 0.0f && !found->findPhysicalFont(size)) {
            found->setHeight(static_cast<int>(size));
            if (mappingDefLoaded()) {
                if (qelFileFontMapper* mapper = qelGlobalDSPool::getInstance()->getFileFontMapper())
                    mapper->mapFont(found, qelFileFontMapper::TARGET_RASTER);
                found->setMapped(true);
            }
        }
        return found;
    }
    auto* font = new qelAFPFont();
    font->qelRes::setName(name);
    font->setFontName(fontName);
    font->setTypefaceName(typefaceName);
    font->setBold(bold);
    font->setItalic(italic);
    font->setHeight(static_cast<int>(size));
    if (mappingDefLoaded()) {
        if (qelFileFontMapper* mapper = qelGlobalDSPool::getInstance()->getFileFontMapper())
            mapper->mapFont(font, qelFileFontMapper::TARGET_RASTER);
        font->setMapped(true);
    }
    font->setInline(1);
    font->setFound(1);
    qelList* list = getList(LEVEL_SPOOL, name, 2);
    if (!list) {
        delete font;
        return nullptr;
    }
    list->append(font);
    return font;
}

void qelGlobalRes::setBookmarks(qelLinkedList* list)
{
    m_bookmarks = list;
}

void qelGlobalRes::forgetBookmarks(const qelLinkedList* list)
{
    if (list && list == m_bookmarks)
        m_bookmarks = nullptr;
}

void qelGlobalRes::setCurrentPageDef(qelRes* pageDef)
{
    if (pageDef == m_pageDef)
        return;
    delete m_pageDef;
    m_pageDef = pageDef;
}

void qelGlobalRes::listResources(int level)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    if (!log)
        return;
    if (log->anyOf(QEL_LOG_OLY))
        listResourcesOfType(qelRes::TYPE_OVERLAY, level, nullptr);
    if (log->anyOf(QEL_LOG_PSEG))
        listResourcesOfType(qelRes::TYPE_PAGE_SEGMENT, level, nullptr);
    if (log->anyOf(QEL_LOG_FNTR)) {
        listResourcesOfType(qelRes::TYPE_FONT, level, "C00001");
        listResourcesOfType(qelRes::TYPE_FONT, level, "X00001");
    }
    if (log->anyOf(QEL_LOG_CDP))
        listResourcesOfType(qelRes::TYPE_CODE_PAGE, level, nullptr);
    if (log->anyOf(QEL_LOG_MMAP))
        listResourcesOfType(qelRes::TYPE_MEDIUM_MAP, level, nullptr);
    if (log->anyOf(QEL_LOG_FDEF))
        listResourcesOfType(qelRes::TYPE_FORM_MAP, level, nullptr);
    if (log->anyOf(QEL_LOG_IOB))
        listResourcesOfType(qelRes::TYPE_OBJECT_CONTAINER, level, nullptr);
}

void qelGlobalRes::listResourcesOfType(int type, int level, const char* name)
{
    if (type < 1 || type > 8)
        return;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    if (!log)
        return;
    const char* shortForm = qelRes::getTypeShortName(static_cast<uint32_t>(type), name);
    qelList* list = existingList(level, name, type - 1);
    if (!list || list->getCount() == 0) {
        log->printLine("\r\n%s:None", shortForm);
        return;
    }
    const std::string header = std::string(shortForm) + ":";
    log->printLine("\r\n%-7s%-13s%-8s%s", header.c_str(), "Name", "Inline", "Attributes");
    for (qelListNode* n = list->getHead(); n; n = n->next) {
        std::unique_ptr<char[]> text(static_cast<qelRes*>(n->item)->describe());
        if (text)
            log->print("%s", text.get());
    }
}

void qelGlobalRes::listShortForms()
{
    if (m_legendPrinted)
        return;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    if (!log)
        return;
    static const char* const lines[] = {
        "\r\n\r\nExpansion of shortforms used in Global Resource Listing:",
        "\r\n========================================================",
        "\r\nOLY:Overlay",
        "\r\nPSEG:Page Segment",
        "\r\nCDP:Code Page",
        "\r\nFDEF:Form Def",
        "\r\nMMAP:Medium Map",
        "\r\nIOB:Object Container",
        "\r\nCDF:Coded Font Name",
        "\r\nCHS:CharacterSet Name",
        "\r\nCFNT:Characterset Font",
        "\r\nXFNT:Coded Font",
        "\r\nFGID:Font Group Id",
        "\r\n(*):Resource not found\r\n",
    };
    for (const char* line : lines)
        log->print("%s", line);
    m_legendPrinted = true;
}

int qelGlobalRes::countProcessResources()
{
    int count = 0;
    for (const qelList* list : m_lists[LEVEL_PROCESS])
        count += list ? list->getCount() : 0;
    m_processResourceCount = count;
    return count;
}

void qelGlobalRes::clearAll()
{
    for (auto& level : m_lists)
        for (qelList*& list : level)
            qelList::destroy(list);
    m_processResourceCount = 0;
    qelList::destroy(m_processScriptRes);
    m_bookmarks = nullptr;
}

void qelGlobalRes::clear()
{
    clearAll();
    qelList::destroy(m_scriptRes);
    qelList::destroy(m_scriptPages);
    qelList::destroy(m_encodingCodePages);
    delete m_pageDef;
    m_pageDef = nullptr;
}
