#ifndef CAPI_RUN_H
#define CAPI_RUN_H

#include "lorbane.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace lrbtest {

using OptionPairs = std::vector<std::pair<std::string, std::string>>;

// Option pairs as the C interface's name/value chain; owns the texts.
class OptionChain
{
public:
    explicit OptionChain(const OptionPairs& pairs) : m_nodes(pairs.size())
    {
        m_texts.reserve(2 * pairs.size());
        for (const auto& pair : pairs) {
            m_texts.push_back(pair.first);
            m_texts.push_back(pair.second);
        }
        for (size_t i = 0; i < pairs.size(); ++i) {
            m_nodes[i].name = &m_texts[2 * i][0];
            m_nodes[i].value = &m_texts[2 * i + 1][0];
            m_nodes[i].next = i + 1 < pairs.size() ? &m_nodes[i + 1] : nullptr;
        }
    }
    OptionChain(const OptionChain&) = delete;
    OptionChain& operator=(const OptionChain&) = delete;

    qelSDKNameValue* head() { return m_nodes.empty() ? nullptr : m_nodes.data(); }

private:
    std::vector<std::string> m_texts;
    std::vector<qelSDKNameValue> m_nodes;
};

// A chained name list over texts it keeps.
class NameList
{
public:
    explicit NameList(const std::vector<std::string>& names) : m_texts(names), m_nodes(names.size())
    {
        for (size_t i = 0; i < m_nodes.size(); ++i) {
            m_nodes[i].name = &m_texts[i][0];
            m_nodes[i].next = i + 1 < m_nodes.size() ? &m_nodes[i + 1] : nullptr;
        }
    }
    NameList(const NameList&) = delete;
    NameList& operator=(const NameList&) = delete;

    qelSDKNameList* first() { return m_nodes.empty() ? nullptr : &m_nodes[0]; }

private:
    std::vector<std::string> m_texts;
    std::vector<qelSDKNameList> m_nodes;
};

// One call of lorbane_File over `inputs` with the given options (set,
// initialise, apply, convert, end); the code lorbane_File returns.
inline int convertFiles(const OptionPairs& options, const std::vector<std::string>& inputs)
{
    OptionChain chain(options);
    NameList files(inputs);
    EXPECT_EQ(lorbane_SetOptions(chain.head()), 0);
    EXPECT_EQ(lorbane_File_Init(), 0);
    EXPECT_EQ(lorbane_ApplyOptions(chain.head()), 0);
    const int rc = lorbane_File(files.first());
    lorbane_File_Term();
    return rc;
}

inline int convertFile(const OptionPairs& options, const std::string& input) { return convertFiles(options, {input}); }

} // namespace lrbtest

#endif
